#include "support/memory_streams.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace simeq::testing {

MemorySource::MemorySource(std::string_view data, std::vector<std::size_t> piece_sizes)
    : data_(data), piece_sizes_(std::move(piece_sizes)) {}

std::size_t MemorySource::Read(char* buffer, std::size_t capacity) {
  std::size_t take = std::min(capacity, data_.size() - position_);
  if (!piece_sizes_.empty()) {
    take = std::min(take, piece_sizes_[reads_ % piece_sizes_.size()]);
  }
  ++reads_;
  if (take == 0) {
    reported_end_ = true;
    return 0;
  }
  std::memcpy(buffer, data_.data() + position_, take);
  position_ += take;
  return take;
}

void MemorySink::Write(const char* data, std::size_t size) {
  text_.append(data, size);
  largest_write_ = std::max(largest_write_, size);
}

}  // namespace simeq::testing
