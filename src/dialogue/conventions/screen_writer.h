#ifndef SIMEQ_DIALOGUE_CONVENTIONS_SCREEN_WRITER_H_
#define SIMEQ_DIALOGUE_CONVENTIONS_SCREEN_WRITER_H_

#include <cstddef>
#include <cstring>
#include <string_view>

namespace simeq {

// Where written bytes finally go. Writing never reports failure.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Delivers all of `data`, or as much as the destination takes.
  virtual void Write(const char* data, std::size_t size) = 0;
};

// The screen writer. On a console every piece goes out as it is written;
// otherwise pieces gather in a 4096-byte block that is emptied when full,
// by EndLine, by Flush (before each read) and on destruction.
class ScreenWriter {
 public:
  static constexpr std::size_t kBlockSize = 4096;

  ScreenWriter(ByteSink& sink, bool unbuffered);
  ~ScreenWriter();
  ScreenWriter(const ScreenWriter&) = delete;
  ScreenWriter& operator=(const ScreenWriter&) = delete;

  // Writes the characters exactly; a newline inside does not flush.
  void Text(std::string_view text) {
    // Most pieces fit in the block: copied here, where each literal's length
    // is known, they cost a few instructions.
    const bool fits = text.size() < kBlockSize && used_ + text.size() < kBlockSize;
    if (fits && !unbuffered_) {
      std::memcpy(block_ + used_, text.data(), text.size());
      used_ += text.size();
      return;
    }
    TextThroughSink(text);
  }
  // Writes a double in the six-digit screen format, any NaN as the default NaN.
  void Number(double value);
  // Writes a newline, then flushes.
  void EndLine();
  // Hands everything gathered so far to the sink.
  void Flush();

 private:
  // Text for a console, or text that fills the block.
  void TextThroughSink(std::string_view text);

  ByteSink& sink_;
  bool unbuffered_;
  std::size_t used_ = 0;
  char block_[kBlockSize];
};

// Marker that ends a line and flushes, as in `out << "text" << endl;`.
struct EndLineMarker {};
inline constexpr EndLineMarker endl{};

inline ScreenWriter& operator<<(ScreenWriter& out, std::string_view text) {
  out.Text(text);
  return out;
}
inline ScreenWriter& operator<<(ScreenWriter& out, double value) {
  out.Number(value);
  return out;
}
inline ScreenWriter& operator<<(ScreenWriter& out, EndLineMarker) {
  out.EndLine();
  return out;
}

}  // namespace simeq

#endif  // SIMEQ_DIALOGUE_CONVENTIONS_SCREEN_WRITER_H_
