#include <emscripten.h>

#include "dialogue/platform/standard_streams.h"

// The page (web/page.js) gives the module the three functions these call:
// simeqWrite takes written bytes, simeqRead resolves with the next bytes of
// typed input (none at end of input) and simeqWaitForKey with a key's code.

// Hands written bytes to the page, which shows them in the working.
EM_JS(void, simeq_web_write, (const char* data, unsigned size),
      { Module.simeqWrite(HEAPU8.slice(data, data + size)); });

// Waits for typed input: a line with its newline, what Ctrl+D handed over,
// or nothing at end of input. Copies at most `capacity` bytes to `buffer`.
EM_ASYNC_JS(unsigned, simeq_web_read, (char* buffer, unsigned capacity), {
  const bytes = await Module.simeqRead(capacity);
  HEAPU8.set(bytes, buffer);
  return bytes.length;
});

namespace simeq {
namespace {

class PageSink : public ByteSink {
 public:
  void Write(const char* data, std::size_t size) override {
    simeq_web_write(data, static_cast<unsigned>(size));
  }
};

class PageSource : public ByteSource {
 public:
  std::size_t Read(char* buffer, std::size_t capacity) override {
    return simeq_web_read(buffer, static_cast<unsigned>(capacity));
  }
};

}  // namespace

void PrepareStandardStreams() {}

ByteSink& StandardOutput() {
  static PageSink sink;
  return sink;
}

ByteSource& StandardInput() {
  static PageSource source;
  return source;
}

// The page's working is a console: every piece reaches it as it is written.
bool StandardOutputIsConsole() { return true; }

}  // namespace simeq
