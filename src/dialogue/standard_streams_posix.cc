#include <errno.h>
#include <signal.h>
#include <unistd.h>

#include "dialogue/standard_streams.h"

namespace simeq {
namespace {

class DescriptorSink : public ByteSink {
 public:
  void Write(const char* data, std::size_t size) override {
    while (size > 0) {
      const ssize_t written = ::write(STDOUT_FILENO, data, size);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return;  // closed pipe, full disk, no descriptor
      data += written;
      size -= static_cast<std::size_t>(written);
    }
  }
};

class DescriptorSource : public ByteSource {
 public:
  std::size_t Read(char* buffer, std::size_t capacity) override {
    for (;;) {
      const ssize_t got = ::read(STDIN_FILENO, buffer, capacity);
      if (got < 0 && errno == EINTR) continue;
      return got > 0 ? static_cast<std::size_t>(got) : 0;
    }
  }
};

}  // namespace

void PrepareStandardStreams() { ::signal(SIGPIPE, SIG_IGN); }

ByteSink& StandardOutput() {
  static DescriptorSink sink;
  return sink;
}

ByteSource& StandardInput() {
  static DescriptorSource source;
  return source;
}

bool StandardOutputIsConsole() { return ::isatty(STDOUT_FILENO) == 1; }

}  // namespace simeq
