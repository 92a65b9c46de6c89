#include <fcntl.h>
#include <io.h>

#include <algorithm>

#include "dialogue/platform/standard_streams.h"

namespace simeq {
namespace {

constexpr int kStandardInput = 0;
constexpr int kStandardOutput = 1;

// The most one call of the C runtime's _write or _read is given.
constexpr std::size_t kMaxTransfer = std::size_t{1} << 20;

// Standard output in text mode: the C runtime writes each newline as CR LF.
class DescriptorSink : public ByteSink {
 public:
  void Write(const char* data, std::size_t size) override {
    while (size > 0) {
      const auto chunk = static_cast<unsigned int>(std::min(size, kMaxTransfer));
      const int written = ::_write(kStandardOutput, data, chunk);
      if (written <= 0) return;  // closed pipe, full disk, no descriptor
      const auto taken = std::min(static_cast<std::size_t>(written), size);
      data += taken;
      size -= taken;
    }
  }
};

// Standard input in text mode: the C runtime reads CR LF as a newline.
class DescriptorSource : public ByteSource {
 public:
  std::size_t Read(char* buffer, std::size_t capacity) override {
    const auto chunk = static_cast<unsigned int>(std::min(capacity, kMaxTransfer));
    const int got = ::_read(kStandardInput, buffer, chunk);
    return got > 0 ? static_cast<std::size_t>(got) : 0;
  }
};

}  // namespace

// Text mode is the C runtime's default for both descriptors; it is set here
// all the same, so a program-wide binary default cannot change the screens.
void PrepareStandardStreams() {
  ::_setmode(kStandardOutput, _O_TEXT);
  ::_setmode(kStandardInput, _O_TEXT);
}

ByteSink& StandardOutput() {
  static DescriptorSink sink;
  return sink;
}

ByteSource& StandardInput() {
  static DescriptorSource source;
  return source;
}

bool StandardOutputIsConsole() { return ::_isatty(kStandardOutput) != 0; }

}  // namespace simeq
