#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include "dialogue/platform/standard_streams.h"

namespace simeq {
namespace {

// Waits until standard output can take more bytes. Another program may have
// made a shared pipe or terminal non-blocking; when it is full, write() says
// EAGAIN and the bytes must wait for the reader, not be dropped. Where poll()
// refuses the descriptor it answers at once and the write is tried again.
void WaitUntilWritable() {
  pollfd ready{STDOUT_FILENO, POLLOUT, 0};
  while (::poll(&ready, 1, -1) < 0 && errno == EINTR) {
  }
}

class DescriptorSink : public ByteSink {
 public:
  void Write(const char* data, std::size_t size) override {
    while (size > 0) {
      const ssize_t written = ::write(STDOUT_FILENO, data, size);
      if (written < 0 && errno == EINTR) continue;
      if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        WaitUntilWritable();
        continue;
      }
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
