#ifndef SIMEQ_DIALOGUE_CONVENTIONS_NUMBER_READER_H_
#define SIMEQ_DIALOGUE_CONVENTIONS_NUMBER_READER_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "dialogue/conventions/number_syntax.h"
#include "dialogue/conventions/screen_writer.h"

namespace simeq {

// Where typed bytes come from.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `capacity` bytes; 0 means end of input (or an error).
  virtual std::size_t Read(char* buffer, std::size_t capacity) = 0;
};

// The number reader. Each read first flushes the tied output, then skips
// white space, takes the longest text that can continue a number and
// converts it. A read that fails keeps its target. Once a read has failed,
// or the input has ended with nothing left to take, every later read fails
// at once, without flushing or asking for input.
// The page depends on this name (cmake/web_program.cmake names its members).
class NumberReader {
 public:
  NumberReader(ByteSource& source, ScreenWriter& tied);
  NumberReader(const NumberReader&) = delete;
  NumberReader& operator=(const NumberReader&) = delete;

  // Reads a 32-bit signed integer into `target`; false on failure.
  bool ReadInteger(std::int32_t& target);
  // Reads a double into `target`; false on failure.
  bool ReadNumber(double& target);
  // True once a read has failed.
  bool failed() const { return failed_; }

 private:
  static constexpr std::size_t kChunkSize = 4096;
  static constexpr int kEnd = -1;

  // Flushes and skips white space; false (and failed) if no number can start.
  bool BeginRead();
  // Takes the characters that continue a number of `kind` into token_.
  bool ScanToken(NumberScanner::Kind kind);
  // The next byte without taking it, or kEnd.
  int Peek();

  ByteSource& source_;
  ScreenWriter& tied_;
  bool failed_ = false;
  bool ended_ = false;  // the source has reported end of input
  std::size_t next_ = 0;
  std::size_t filled_ = 0;
  std::string token_;
  char chunk_[kChunkSize];
};

}  // namespace simeq

#endif  // SIMEQ_DIALOGUE_CONVENTIONS_NUMBER_READER_H_
