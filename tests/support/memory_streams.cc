#include "support/memory_streams.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace simeq::testing {

MemorySource::MemorySource(std::string_view data, std::vector<std::size_t> piece_sizes,
                           std::vector<std::string>* log)
    : data_(data), piece_sizes_(std::move(piece_sizes)), log_(log) {}

std::size_t MemorySource::Read(char* buffer, std::size_t capacity) {
  if (log_ != nullptr) log_->push_back("read");
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
  if (log_ != nullptr) log_->push_back("write " + std::string(data, size));
  text_.append(data, size);
  piece_sizes_.push_back(size);
}

std::size_t MemorySink::largest_write() const {
  return piece_sizes_.empty() ? 0 : *std::max_element(piece_sizes_.begin(), piece_sizes_.end());
}

std::vector<std::string> MemorySink::pieces() const {
  std::vector<std::string> pieces;
  std::size_t at = 0;
  for (const std::size_t size : piece_sizes_) {
    pieces.push_back(text_.substr(at, size));
    at += size;
  }
  return pieces;
}

}  // namespace simeq::testing
