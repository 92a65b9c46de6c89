// Numbers ten million digits long through the number reader in memory. The
// everyday tests run the program on numbers of this length
// (hostile_surroundings_test.cc) and check the reader's exact rounding on
// short ones (number_reader_test.cc); these repeat both at once, in-process, and are
// too slow for every build under the sanitizers, so they carry the CTest
// label "exhaustive": run them with  ctest --preset exhaustive.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dialogue/conventions/number_reader.h"
#include "dialogue/conventions/screen_writer.h"
#include "support/memory_streams.h"

namespace simeq {
namespace {

// A reader over `typed` handed out in `piece`-byte pieces, tied to a
// buffered writer.
struct Reader {
  Reader(std::string typed, std::size_t piece) : text(std::move(typed)), source(text, {piece}) {}

  std::string text;
  testing::MemorySink sink;
  ScreenWriter out{sink, false};
  testing::MemorySource source;
  NumberReader in{source, out};
};

// `prefix`, then `count` copies of `digit`, then `suffix`.
std::string LongText(std::string_view prefix, char digit, std::size_t count,
                     std::string_view suffix) {
  std::string text(prefix);
  text.append(count, digit);
  text.append(suffix);
  return text;
}

// Numbers far longer than any buffer still read as their nearest double;
// the reader hands over every digit, including one at the very end.
TEST(NumberReaderExhaustive, ReadsVeryLongNumbersExactly) {
  constexpr std::size_t kDigits = 10'000'000;
  const struct {
    std::string text;
    double expected;
  } kCases[] = {
      {LongText("0.", '3', kDigits, "\n"), 1.0 / 3.0},
      // 2^53 + 1 lies halfway between two doubles: a tie goes to even, and a
      // last digit ten million places on tips it up.
      {LongText("9007199254740993.", '0', kDigits, "\n"), 9007199254740992.0},
      {LongText("9007199254740993.", '0', kDigits, "1\n"), 9007199254740994.0},
      {LongText("1", '0', kDigits, "e-10000000\n"), 1.0},
      {LongText("-0.", '0', kDigits, "125e10000000\n"), -0.125},
  };
  for (const auto& c : kCases) {
    Reader reader(c.text, 4096);
    double number = 0.0;
    EXPECT_TRUE(reader.in.ReadNumber(number)) << c.text.substr(0, 20);
    EXPECT_EQ(c.expected, number) << c.text.substr(0, 20);
    EXPECT_FALSE(reader.in.ReadNumber(number));  // only the newline was left
  }
}

TEST(NumberReaderExhaustive, ReadsVeryLongIntegersByTheirValue) {
  constexpr std::size_t kDigits = 10'000'000;
  const struct {
    std::string text;
    bool ok;
    std::int32_t expected;
  } kCases[] = {
      {LongText("", '0', kDigits, "7 "), true, 7},
      {LongText("-", '0', kDigits, "2147483648 "), true, -2147483647 - 1},
      {LongText("", '0', kDigits, "2147483648 "), false, 0},
      {LongText("", '9', kDigits, " "), false, 0},
  };
  for (const auto& c : kCases) {
    Reader reader(c.text, 4096);
    std::int32_t target = 0;
    EXPECT_EQ(c.ok, reader.in.ReadInteger(target)) << c.text.substr(0, 20);
    EXPECT_EQ(c.expected, target) << c.text.substr(0, 20);
  }
}

}  // namespace
}  // namespace simeq
