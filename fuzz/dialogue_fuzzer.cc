// Runs the whole dialogue in-process on arbitrary typed input, once with
// buffered output and once unbuffered, with a key wait that finds no
// console. Every run must start with the banner, end with the closing
// prompt, write the same bytes either way, and never hand the sink more
// than one block at a time when buffered.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "dialogue/conventions/dialogue.h"
#include "dialogue/conventions/number_reader.h"
#include "dialogue/conventions/screen_writer.h"
#include "dialogue/program.h"
#include "require.h"
#include "support/memory_streams.h"

namespace simeq::fuzz {
namespace {

using testing::MemorySink;
using testing::MemorySource;

constexpr std::string_view kBanner =
    " \n"
    "                         Quelmarin-!!!\n";
constexpr std::string_view kClosingPrompt = " ........Press Any Key To Continue........ \n";

int NoConsole() { return -1; }

// The whole run over `input`; returns what was written.
std::string Run(std::string_view input, bool unbuffered, std::size_t* largest_write) {
  MemorySource source(input);
  MemorySink sink;
  {
    ScreenWriter out(sink, unbuffered);
    NumberReader in(source, out);
    Dialogue dialogue{out, in};
    RunProgram(dialogue, NoConsole);
  }
  *largest_write = sink.largest_write();
  return sink.text();
}

}  // namespace
}  // namespace simeq::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace simeq::fuzz;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::size_t largest_buffered = 0;
  std::size_t largest_unbuffered = 0;
  const std::string buffered = Run(input, false, &largest_buffered);
  const std::string unbuffered = Run(input, true, &largest_unbuffered);
  Require(buffered.starts_with(kBanner), "the banner is missing");
  Require(buffered.ends_with(kClosingPrompt), "the closing prompt is not last");
  Require(buffered == unbuffered, "buffering changed what was written");
  Require(largest_buffered <= simeq::ScreenWriter::kBlockSize,
          "a buffered write larger than a block");
  return 0;
}
