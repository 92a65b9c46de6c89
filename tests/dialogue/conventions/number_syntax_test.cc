// How far typed text continues a number, and what the text is worth.

#include "dialogue/conventions/number_syntax.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "dialogue/conventions/bit_cast.h"

namespace simeq {
namespace {

using Kind = NumberScanner::Kind;

// What a scan of `text` left: how many characters it took, and whether
// those make a whole number.
struct Scan {
  std::size_t taken;
  bool complete;
};

Scan ScanText(Kind kind, std::string_view text) {
  NumberScanner scanner(kind);
  std::size_t taken = 0;
  while (taken < text.size() && scanner.Accept(text[taken])) ++taken;
  return {taken, scanner.Complete()};
}

// A text, how many of its characters continue a number, and whether those
// make a whole number.
struct Scanned {
  std::string_view text;
  std::size_t taken;
  bool complete;
};

void ExpectScans(Kind kind, std::initializer_list<Scanned> cases) {
  for (const Scanned& c : cases) {
    const Scan scan = ScanText(kind, c.text);
    EXPECT_EQ(c.taken, scan.taken) << '"' << c.text << '"';
    EXPECT_EQ(c.complete, scan.complete) << '"' << c.text << '"';
  }
}

TEST(NumberScanner, TakesTheLongestTextThatCanContinueAnInteger) {
  ExpectScans(Kind::kInteger, {
                                  {"7", 1, true},     {"123abc", 3, true},
                                  {"+5", 2, true},    {"-5-6", 2, true},
                                  {"007", 3, true},   {"2.5", 1, true},  // no point in an integer
                                  {"1e5", 1, true},                      // nor an exponent
                                  {"0x5", 1, true},                      // nor a hexadecimal prefix
                                  {"12 34", 2, true}, {"1,000", 1, true},  // nor digit grouping
                                  {"-", 1, false},    {"+", 1, false},
                                  {"--5", 1, false},  {"+-5", 1, false},
                                  {"-x", 1, false},   {".5", 0, false},
                                  {" 5", 0, false},  // white space is skipped before, not here
                                  {"x", 0, false},    {"", 0, false},
                              });
}

TEST(NumberScanner, TakesTheLongestTextThatCanContinueARealNumber) {
  ExpectScans(
      Kind::kReal,
      {
          {"2.5", 3, true},   {".5", 2, true},     {"5.", 2, true},     {"-.5", 3, true},
          {"+5.e3", 5, true}, {"1e5", 3, true},    {"1E-7", 4, true},   {"1e+5x", 4, true},
          {"1.2.3", 3, true}, {"5..", 2, true},    {"1e5.5", 3, true},  {"1e5e5", 3, true},
          {"0x1p3", 1, true}, {"1.#INF", 2, true},  // the program cannot read back its own specials
          {"12 34", 2, true}, {".", 1, false},     {"-.", 2, false},    {".e5", 1, false},
          {"-", 1, false},    {"+", 1, false},     {"1e", 2, false},    {"1e+", 3, false},
          {"1e-x", 3, false}, {"1e 5", 2, false},  {"1e++5", 3, false}, {"inf", 0, false},
          {"nan", 0, false},  {"-inf", 1, false},  {"e5", 0, false},    {"", 0, false},
      });
}

TEST(ConvertInteger, AcceptsExactlyTheThirtyTwoBitRange) {
  const std::string zeros(1000, '0');
  const struct {
    std::string text;
    std::optional<std::int32_t> expected;
  } kCases[] = {
      {"0", 0},
      {"-0", 0},
      {"+7", 7},
      {"2147483647", 2147483647},
      {"+2147483647", 2147483647},
      {"-2147483648", std::numeric_limits<std::int32_t>::min()},
      {"-2147483647", -2147483647},
      {"2147483648", std::nullopt},
      {"+2147483648", std::nullopt},
      {"-2147483649", std::nullopt},
      {"4294967296", std::nullopt},  // 2^32, would wrap to 0
      {"4294967298", std::nullopt},  // would wrap to 2
      {"21474836470", std::nullopt},
      {"99999999999999999999999999999", std::nullopt},  // beyond 64 bits
      {zeros + "42", 42},
      {zeros + "2147483647", 2147483647},
      {"-" + zeros + "2147483648", std::numeric_limits<std::int32_t>::min()},
      {zeros + "2147483648", std::nullopt},
      {"1" + zeros, std::nullopt},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(c.expected, ConvertInteger(c.text)) << c.text.substr(0, 40);
  }
}

// Compares doubles bit for bit, so -0 and 0 differ.
std::optional<std::uint64_t> Bits(std::optional<double> value) {
  if (!value) return std::nullopt;
  return simeq::bit_cast<std::uint64_t>(*value);
}

TEST(ConvertReal, GivesTheNearestDoubleOrFails) {
  const std::string zeros(1000, '0');
  constexpr double kMax = std::numeric_limits<double>::max();
  constexpr double kMinNormal = std::numeric_limits<double>::min();
  const struct {
    std::string text;
    std::optional<double> expected;
  } kCases[] = {
      {"2.5", 2.5},
      {".5", 0.5},
      {"5.", 5.0},
      {"-.5", -0.5},
      {"+5", 5.0},
      {"-0", -0.0},
      {"0.000", 0.0},
      {"1E3", 1000.0},
      {"0.1", 0.1},
      {"1e23", 1e23},
      {"123456789012345678901234567890", 123456789012345678901234567890.0},
      {"9007199254740993", 9007199254740992.0},  // halfway: to even
      {"9007199254740993.00000000000000000000001", 9007199254740994.0},
      {"9007199254740995", 9007199254740996.0},
      // Largest double, and texts on either side of where rounding reaches
      // infinity.
      {"1.7976931348623157e308", kMax},
      {"1.7976931348623158e308", kMax},
      {"1.7976931348623158079e308", kMax},
      {"1.797693134862315808e308", std::nullopt},
      {"-1.7976931348623159e308", std::nullopt},
      {"1e308", 1e308},
      {"1e309", std::nullopt},
      {"1e400", std::nullopt},
      {"-1e400", std::nullopt},
      {"1" + zeros, std::nullopt},
      {"1e99999999999", std::nullopt},
      // Smallest normal double, and texts on either side of where rounding
      // falls to a denormal.
      {"2.2250738585072014e-308", kMinNormal},
      {"2.2250738585072012e-308", kMinNormal},
      {"2.2250738585072011e-308", std::nullopt},
      {"2.225073858507201e-308", std::nullopt},
      {"-2.2250738585072014e-308", -kMinNormal},
      {"1e-310", std::nullopt},
      {"-1e-310", std::nullopt},
      {"4.9e-324", std::nullopt},
      {"1e-400", std::nullopt},
      {"-1e-400", std::nullopt},
      {"0." + zeros + "1", std::nullopt},
      {"1e-99999999999", std::nullopt},
      // Zero is zero, however large its exponent.
      {"0e99999999999", 0.0},
      {"0e-99999999999", 0.0},
      {"-0.0e400", -0.0},
      {"0." + zeros, 0.0},
      // Long texts whose value is ordinary.
      {zeros + "1.5", 1.5},
      {"0." + zeros + "1e1001", 1.0},
      {"1" + zeros + "e-1000", 1.0},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(Bits(c.expected), Bits(ConvertReal(c.text))) << c.text.substr(0, 40);
  }
}

// Scanning and converting together, as a reply is read: the whole reply
// must be taken and make a value.
TEST(NumberSyntax, ReadsWholeRepliesAsTheReaderDoes) {
  const struct {
    std::string_view text;
    std::optional<double> as_integer;
    std::optional<double> as_real;
  } kCases[] = {
      {"42", 42.0, 42.0},
      {"-17", -17.0, -17.0},
      {".5", std::nullopt, 0.5},
      {"5.", std::nullopt, 5.0},
      {"-", std::nullopt, std::nullopt},
      {"+", std::nullopt, std::nullopt},
      {"1e", std::nullopt, std::nullopt},
      {"1e+", std::nullopt, std::nullopt},
      {"1e5", std::nullopt, 1e5},
      {"inf", std::nullopt, std::nullopt},
      {"-inf", std::nullopt, std::nullopt},
      {"infinity", std::nullopt, std::nullopt},
      {"nan", std::nullopt, std::nullopt},
      {"nan(1)", std::nullopt, std::nullopt},
      {"0x10", std::nullopt, std::nullopt},
      {"0x1p3", std::nullopt, std::nullopt},
      {"1.#INF", std::nullopt, std::nullopt},
  };
  for (const auto& c : kCases) {
    std::optional<double> as_integer;
    if (const Scan scan = ScanText(Kind::kInteger, c.text);
        scan.complete && scan.taken == c.text.size()) {
      if (const auto value = ConvertInteger(c.text)) as_integer = *value;
    }
    std::optional<double> as_real;
    if (const Scan scan = ScanText(Kind::kReal, c.text);
        scan.complete && scan.taken == c.text.size()) {
      as_real = ConvertReal(c.text);
    }
    EXPECT_EQ(c.as_integer, as_integer) << '"' << c.text << '"';
    EXPECT_EQ(c.as_real, as_real) << '"' << c.text << '"';
  }
}

}  // namespace
}  // namespace simeq
