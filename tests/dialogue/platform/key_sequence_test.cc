// The key wait must take every byte that one key press sends and no byte of
// the next, so that nothing of the key is left for the shell to read.

#include "dialogue/platform/key_sequence.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string_view>

namespace simeq {
namespace {

// Marks a key press that is still waiting for bytes when the input runs out;
// the key wait then ends it by its timeout.
constexpr std::size_t kUnfinished = 0;

// Feeds `bytes` to one key sequence and returns how many of them it took
// before it was complete, or kUnfinished.
std::size_t BytesTaken(std::string_view bytes) {
  KeySequence sequence(static_cast<unsigned char>(bytes[0]));
  std::size_t taken = 1;
  while (!sequence.Complete()) {
    if (taken == bytes.size()) return kUnfinished;
    sequence.Feed(static_cast<unsigned char>(bytes[taken++]));
  }
  return taken;
}

TEST(KeySequence, TakesTheWholeKeyPressAndNothingAfterIt) {
  // Each input ends with bytes of a following key press where it can.
  static constexpr struct {
    const char* name;
    std::string_view bytes;
    std::size_t taken;
  } kCases[] = {
      {"plain letter", "ab", 1},
      {"digit", "7\r", 1},
      {"Ctrl+C", "\x03x", 1},
      {"Enter", "\rx", 1},
      {"Backspace", "\x7fx", 1},
      {"lone Escape", "\x1b", kUnfinished},
      {"Alt+x", "\x1bxy", 2},
      {"Alt+Escape", "\x1b\x1bx", 2},
      {"Alt+[", "\x1b[", kUnfinished},
      {"cursor up", "\x1b[Ax", 3},
      {"cursor left", "\x1b[D\x1b[D", 3},
      {"F1 in application mode", "\x1bOPx", 3},
      {"cursor up in application mode", "\x1bOAx", 3},
      {"F5", "\x1b[15~x", 5},
      {"F12", "\x1b[24~x", 5},
      {"Ctrl+Right", "\x1b[1;5Cx", 6},
      {"Shift+F5", "\x1b[15;2~x", 7},
      {"Ctrl+Shift+Insert in rxvt, ending in @", "\x1b[2@x", 4},
      {"console F1", "\x1b[[Ax", 4},
      {"console F5", "\x1b[[Ex", 4},
      {"control sequence cut short", "\x1b[1;5", kUnfinished},
      {"two-byte character", "\xc3\xa9x", 2},
      {"three-byte character", "\xe2\x82\xacx", 3},
      {"three-byte character led by 0xef", "\xef\xbc\x81x", 3},
      {"four-byte character", "\xf0\x9f\x98\x80x", 4},
      {"character cut short", "\xe2\x82", kUnfinished},
      {"lead byte then a letter", "\xc3xy", 2},
      {"lead byte then a new lead byte", "\xe2\xc3\xa9", 2},
      {"stray continuation byte", "\xa9x", 1},
      {"byte that never starts a character", "\xffx", 1},
      {"overlong lead byte", "\xc0\x80", 1},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(c.taken, BytesTaken(c.bytes)) << c.name;
  }
}

}  // namespace
}  // namespace simeq
