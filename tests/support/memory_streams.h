#ifndef SIMEQ_TESTS_SUPPORT_MEMORY_STREAMS_H_
#define SIMEQ_TESTS_SUPPORT_MEMORY_STREAMS_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "dialogue/conventions/number_reader.h"
#include "dialogue/conventions/screen_writer.h"

namespace simeq::testing {

// Typed input held in memory. Each Read hands out at most the current piece
// size, so the reader meets its input cut at every kind of place; the
// position of every byte handed out is tracked.
class MemorySource : public ByteSource {
 public:
  // `piece_sizes` (cycled, each at least 1) bounds successive reads; empty
  // means no bound beyond the reader's own capacity. `log`, if given, gets
  // "read" for every Read, after whatever else was noted there before it.
  explicit MemorySource(std::string_view data, std::vector<std::size_t> piece_sizes = {},
                        std::vector<std::string>* log = nullptr);

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
  std::vector<std::string>* log_;
  std::size_t position_ = 0;
  std::size_t reads_ = 0;
  bool reported_end_ = false;
};

// Collects written bytes in memory and remembers how they were cut into
// writes.
class MemorySink : public ByteSink {
 public:
  // `log`, if given, gets "write " and the bytes of every Write.
  explicit MemorySink(std::vector<std::string>* log = nullptr) : log_(log) {}

  void Write(const char* data, std::size_t size) override;

  // Everything written so far.
  const std::string& text() const { return text_; }
  // Everything written so far, one string per Write.
  std::vector<std::string> pieces() const;
  // The size passed to each Write, in order.
  const std::vector<std::size_t>& piece_sizes() const { return piece_sizes_; }
  // The largest size passed to one Write.
  std::size_t largest_write() const;

 private:
  std::vector<std::string>* log_;
  std::string text_;
  std::vector<std::size_t> piece_sizes_;
};

}  // namespace simeq::testing

#endif  // SIMEQ_TESTS_SUPPORT_MEMORY_STREAMS_H_
