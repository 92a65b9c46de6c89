#ifndef SIMEQ_TESTS_SUPPORT_MEMORY_STREAMS_H_
#define SIMEQ_TESTS_SUPPORT_MEMORY_STREAMS_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "dialogue/input.h"
#include "dialogue/output.h"

namespace simeq::testing {

// Typed input held in memory. Each Read hands out at most the current piece
// size, so the reader meets its input cut at every kind of place; the
// position of every byte handed out is tracked.
class MemorySource : public ByteSource {
 public:
  // `piece_sizes` (cycled, each at least 1) bounds successive reads; empty
  // means no bound beyond the reader's own capacity.
  explicit MemorySource(std::string_view data, std::vector<std::size_t> piece_sizes = {});

  std::size_t Read(char* buffer, std::size_t capacity) override;

  // Bytes handed out so far.
  std::size_t position() const { return position_; }
  // True once a Read has reported end of input.
  bool reported_end() const { return reported_end_; }
  // Number of Read calls so far.
  std::size_t reads() const { return reads_; }

 private:
  std::string_view data_;
  std::vector<std::size_t> piece_sizes_;
  std::size_t position_ = 0;
  std::size_t reads_ = 0;
  bool reported_end_ = false;
};

// Collects written bytes in memory and remembers the largest single write.
class MemorySink : public ByteSink {
 public:
  void Write(const char* data, std::size_t size) override;

  // Everything written so far.
  const std::string& text() const { return text_; }
  // The largest size passed to one Write.
  std::size_t largest_write() const { return largest_write_; }

 private:
  std::string text_;
  std::size_t largest_write_ = 0;
};

}  // namespace simeq::testing

#endif  // SIMEQ_TESTS_SUPPORT_MEMORY_STREAMS_H_
