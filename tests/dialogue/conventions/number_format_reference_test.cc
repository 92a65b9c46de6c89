// The number format against an exact reference: each double expanded to
// every decimal digit with integer arithmetic, rounded to 17 digits half
// away from zero, then to 6 by the 7th digit, and laid out. The two must
// agree on random bit patterns, on every power of ten and on the bands
// around each rounding and layout boundary.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "dialogue/conventions/bit_cast.h"
#include "dialogue/conventions/decimal_to_double.h"
#include "support/number_format/exact_decimal.h"
#include "support/number_format/format_agreement.h"
#include "support/number_format/reference_number_format.h"

namespace simeq::testing {
namespace {

// The double nearest to `text`, as the number reader would convert it.
double Parse(const std::string& text) {
  const std::optional<double> value = DecimalToDouble(text);
  if (!value) throw std::invalid_argument("no double for " + text);
  return *value;
}

double FromBits(std::uint64_t bits) { return simeq::bit_cast<double>(bits); }

// x.xxxxx5 times 10^exponent: eight seeded six-digit patterns at each
// decimal exponent from -307 to 307, converted to the nearest double.
std::vector<double> Ties() {
  std::vector<double> ties;
  std::uint64_t state = 7;
  for (int exponent = -307; exponent <= 307; ++exponent) {
    for (int i = 0; i < 8; ++i) {
      state = state * 6364136223846793005ULL + 1442695040888963407ULL;
      const std::string six = std::to_string(100000 + (state >> 33) % 900000);
      ties.push_back(
          Parse(six.substr(0, 1) + "." + six.substr(1) + "5e" + std::to_string(exponent)));
    }
  }
  return ties;
}

TEST(ExactDecimal, ExpandsEveryDigitOfTheBinaryValue) {
  // Expected digits from the binary values worked out by hand and checked
  // with an arbitrary-precision calculator; long ones by their ends and length.
  const struct {
    const char* name;
    double value;
    std::string first;
    std::string last;
    std::size_t length;
    int exponent;
  } kCases[] = {
      {"one half", 0.5, "5", "5", 1, -1},
      {"a thousand", 1000.0, "1", "1", 1, 3},
      {"0.1", 0.1, "1000000000000000055511151231257827", "404541015625", 55, -1},
      {"1e23", 1e23, "99999999999999991611392", "99999999999999991611392", 23, 22},
      {"2^-25, eighteen digits", 0x1p-25, "298023223876953125", "298023223876953125", 18, -8},
      {"smallest subnormal", FromBits(1), "4940656458412465441765687928682213723650598",
       "533447265625", 751, -324},
      {"smallest normal", FromBits(std::uint64_t{1} << 52),
       "2225073858507201383090232717332404064219215980462331830", "396728515625", 715, -308},
      {"largest", FromBits(0x7fefffffffffffffULL), "179769313486231570814527423731704356798",
       "184124858368", 309, 308},
  };
  for (const auto& c : kCases) {
    const ExactDecimal exact = ExpandExactly(c.value);
    EXPECT_TRUE(exact.digits.starts_with(c.first)) << c.name << ": " << exact.digits;
    EXPECT_TRUE(exact.digits.ends_with(c.last)) << c.name << ": " << exact.digits;
    EXPECT_EQ(c.length, exact.digits.size()) << c.name;
    EXPECT_EQ(c.exponent, exact.exponent) << c.name;
  }
}

TEST(ReferenceNumberFormat, RoundsAndLaysOutValuesWorkedOutByHand) {
  // The reference itself, on values worked out by hand: each rounding
  // carry, both layouts either side of each switch, and the special texts.
  const double three = Parse("3");
  const struct {
    double value;
    const char* expected;
  } kCases[] = {
      {-10.0 / three, "-3.33333"},
      {123456.5, "123457"},
      {999999.5, "1e+006"},
      {999999.4, "999999"},
      {100000.0, "100000"},
      {1234567.0, "1.23457e+006"},
      {Parse("9.999995e-5"), "0.0001"},
      {Parse("0.000123456789"), "0.000123457"},
      {Parse("9.99999e-5"), "9.99999e-005"},
      {Parse("1.5e-5"), "1.5e-005"},
      {FromBits(0x7fefffffffffffffULL), "1.79769e+308"},
      {FromBits(1), "4.94066e-324"},
      {FromBits(0x8000000000000000ULL), "0"},
      {FromBits(0xfff0000000000000ULL), "-1.#INF"},
      {FromBits(0xfff8000000000000ULL), "-1.#IND"},
      {FromBits(0xfff8000000000001ULL), "-1.#QNAN"},
      {FromBits(0x7ff0000000000001ULL), "1.#SNAN"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(c.expected, ReferenceNumberFormat(c.value))
        << "bits 0x" << std::hex << simeq::bit_cast<std::uint64_t>(c.value);
  }
}

TEST(NumberFormat, AgreesWithTheExactReferenceOnRandomBitPatterns) {
  // A sample; the exhaustive suite runs a million more.
  FormatAgreement agreement;
  RandomDoubles patterns(20240601);
  for (int i = 0; i < 20000; ++i) agreement.Check(patterns.Next());
}

TEST(NumberFormat, AgreesWithTheExactReferenceOnEveryPowerOfTen) {
  // 1e-310 to 1e-308 are below the smallest normal double and come out of
  // the conversion as subnormals, which the format still has to write.
  FormatAgreement agreement;
  for (int power = -310; power <= 308; ++power) {
    const double value = Parse("1e" + std::to_string(power));
    agreement.CheckWithNeighbours(value, 1);
    agreement.CheckWithNeighbours(-value, 1);
  }
  EXPECT_EQ(619 * 6, agreement.checked());
}

TEST(NumberFormat, AgreesWithTheExactReferenceAroundRoundingBoundaries) {
  FormatAgreement agreement;
  // Where rounding carries into a new digit or the layout changes.
  for (const char* text :
       {"999999.5", "99999.95", "9999995", "9.999995e-5", "9.999995e-6", "0.0001", "0.00001",
        "1e+006", "100000", "123456.5", "0.5", "9.5", "1.7976931348623157e308",
        "2.2250738585072014e-308", "4.9406564584124654e-324"}) {
    agreement.CheckWithNeighbours(Parse(text), 8);
    agreement.CheckWithNeighbours(-Parse(text), 8);
  }
  // Each tie and a few ulps either side must round the right way; the
  // 17-digit step decides the ones just below.
  for (const double tie : Ties()) agreement.CheckWithNeighbours(tie, 3);
}

TEST(NumberFormat, BoundaryBandsReachTheCasesTheSeventeenDigitStepDecides) {
  // Counts the values in the bands above whose seventh exact digit is 4 but
  // whose 17-digit expansion has a 5 there: without them the band test could
  // not tell a single rounding from the double one.
  int lifted = 0;
  for (const double tie : Ties()) {
    double below = tie;
    for (int step = 0; step < 3; ++step) {
      const ExactDecimal exact = ExpandExactly(below);
      std::string first_six = exact.digits.substr(0, 6);
      first_six.resize(6, '0');
      std::string rounded = RoundTwice(exact).digits;
      rounded.resize(6, '0');
      if (exact.digits.size() > 6 && exact.digits[6] == '4' && rounded != first_six) ++lifted;
      below = std::nextafter(below, 0.0);
    }
  }
  EXPECT_GT(lifted, 100);
}

}  // namespace
}  // namespace simeq::testing
