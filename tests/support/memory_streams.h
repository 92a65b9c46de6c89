#ifndef SIMEQ_TESTS_SUPPORT_MEMORY_STREAMS_H_
#define SIMEQ_TESTS_SUPPORT_MEMORY_STREAMS_H_

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "dialogue/input.h"
#include "dialogue/output.h"

namespace simeq::testing {

// Typed input held in memory, handed out at most `piece` bytes a read.
class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::string data, std::size_t piece = 4096)
      : data_(std::move(data)), piece_(piece) {}
  std::size_t Read(char* buffer, std::size_t capacity) override {
    ++reads_;
    const std::size_t n = std::min({capacity, piece_, data_.size() - at_});
    std::memcpy(buffer, data_.data() + at_, n);
    at_ += n;
    return n;
  }
  // How many times Read was called.
  int reads() const { return reads_; }

 private:
  std::string data_;
  std::size_t piece_;
  std::size_t at_ = 0;
  int reads_ = 0;
};

// Collects everything written, remembering the size of each hand-over.
class MemorySink : public ByteSink {
 public:
  void Write(const char* data, std::size_t size) override {
    text_.append(data, size);
    ++writes_;
  }
  const std::string& text() const { return text_; }
  // How many times Write was called.
  int writes() const { return writes_; }

 private:
  std::string text_;
  int writes_ = 0;
};

}  // namespace simeq::testing

#endif  // SIMEQ_TESTS_SUPPORT_MEMORY_STREAMS_H_
