// The screen format of a number: six significant digits in general notation,
// a signed exponent of at least three digits, 0 for both zeros and the
// 1.#INF family for infinities and NaNs.

#include "dialogue/conventions/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <string>

#include "dialogue/conventions/bit_cast.h"

namespace simeq {
namespace {

double FromBits(std::uint64_t bits) { return simeq::bit_cast<double>(bits); }

// A value the compiler cannot fold, so the arithmetic happens at run time.
double AtRunTime(double value) {
  volatile double held = value;
  return held;
}

// A value and the text it must be written as.
struct Written {
  double value;
  const char* expected;
};

void ExpectWritten(std::initializer_list<Written> cases) {
  for (const Written& c : cases) {
    EXPECT_EQ(c.expected, FormatNumber(c.value)) << std::hexfloat << c.value;
  }
}

TEST(NumberFormat, WritesOneValueOfEachKind) {
  ExpectWritten({
      {2.0, "2"},
      {0.5, "0.5"},
      {-1.5, "-1.5"},
      {AtRunTime(1.0) / 3.0, "0.333333"},
      {AtRunTime(-10.0) / 3.0, "-3.33333"},
      {123456.5, "123457"},
      {999999.5, "1e+006"},
      {1000000.0, "1e+006"},
      {1234567.0, "1.23457e+006"},
      {0.0001, "0.0001"},
      {0.00001, "1e-005"},
      {1.5e-5, "1.5e-005"},
      {1e100, "1e+100"},
      {std::numeric_limits<double>::max(), "1.79769e+308"},
      {-0.0, "0"},
      {AtRunTime(1.0) / AtRunTime(0.0), "1.#INF"},
      {FromBits(0xFFF8000000000000), "-1.#IND"},
  });
}

// Where plain form gives way to exponent form, decided on the value after
// rounding to six digits.
TEST(NumberFormat, ChoosesTheLayoutByTheRoundedExponent) {
  ExpectWritten({
      {0.0001, "0.0001"},
      {std::nextafter(0.0001, 0.0), "0.0001"},  // 9.999999999999999e-05
      {0.0000999999, "9.99999e-005"},
      {9.999995e-5, "0.0001"},               // carries into plain form
      {9.9999949999999e-5, "9.99999e-005"},  // stays in exponent form
      {0.000123456, "0.000123456"},
      {0.00012345649, "0.000123456"},
      {0.00099999949999, "0.000999999"},
      {999999.0, "999999"},
      {999999.4999999999, "999999"},
      {999999.5, "1e+006"},  // carries into exponent form
      {100000.0, "100000"},
      {123456.4, "123456"},
      {9.999995, "10"},
      {9.9999949, "9.99999"},
      {0.9999995, "1"},
      {99.99995, "99.9999"},  // the double lies below ...95 even at 17 digits
      {12345.6789, "12345.7"},
      {0.1, "0.1"},
      {100.0, "100"},
      {-100.0, "-100"},
      {1e21, "1e+021"},
      {1e23, "1e+023"},
      {-1e-5, "-1e-005"},
      {2.5e-7, "2.5e-007"},
  });
}

// A value exactly halfway at the seventh digit rounds away from zero, never
// to even.
TEST(NumberFormat, RoundsExactTiesAwayFromZero) {
  ExpectWritten({
      {123456.5, "123457"},
      {-123456.5, "-123457"},
      {12345.25, "12345.3"},
      {-12345.25, "-12345.3"},
      {1234.125, "1234.13"},
      {0.0009765625, "0.000976563"},  // 2^-10
      {1234565.0, "1.23457e+006"},
      {-1234565.0, "-1.23457e+006"},
  });
}

// These doubles lie just below a seventh digit of 5, but their 17-digit
// expansion is exactly ...5000000000, so they round up. Rounding the exact
// value straight to six digits would round them down.
TEST(NumberFormat, RoundsTheSeventeenDigitExpansionNotTheExactValue) {
  const struct {
    double value;
    const char* exact;  // leading digits of the exact binary value
    const char* expected;
  } kCases[] = {
      {0x1.e8f290abb44e5p+2, "7.6398049999999999570", "7.63981"},
      {0x1.f502b40f66a55p+1, "3.9141449999999999853", "3.91415"},
      {0x1.7135e9e1b089ap+6, "9.2302649999999999863", "92.3027"},
      {0x1.e824ed916872bp+9, "9.7628849999999999909", "976.289"},
      {0x1.76a5d7482e759p-16, "2.2330749999999999607", "2.23308e-005"},
      {0x1.312b711cf8b43p-12, "2.9103249999999999562", "0.000291033"},
      {0x1.457ffe2af3f8ap-32, "2.9604049999999999735", "2.96041e-010"},
      {0x1.b32d9fce34549p-997, "1.2691749999999999976", "1.26918e-300"},
      {0x1.4bf3e81bd7fefp+999, "6.9470749999999999536", "6.94708e+300"},
  };
  for (const auto& c : kCases) {
    char exact[64];
    std::snprintf(exact, sizeof exact, "%.40e", c.value);
    ASSERT_EQ(0, std::strncmp(exact, c.exact, std::strlen(c.exact))) << exact;
    EXPECT_EQ(c.expected, FormatNumber(c.value)) << exact;
    EXPECT_EQ(std::string("-") + c.expected, FormatNumber(-c.value)) << exact;
  }
}

TEST(NumberFormat, WritesTinyAndHugeValuesWithThreeExponentDigits) {
  ExpectWritten({
      {1e100, "1e+100"},
      {1e-100, "1e-100"},
      {1.5e300, "1.5e+300"},
      {1.5e-300, "1.5e-300"},
      {1e-308, "1e-308"},
      {std::numeric_limits<double>::min(), "2.22507e-308"},
      {1e-320, "9.99989e-321"},  // a denormal, only five digits are exact
      {1.5e-320, "1.49998e-320"},
      {FromBits(0x0000000000000001), "4.94066e-324"},  // smallest denormal
      {FromBits(0x8000000000000001), "-4.94066e-324"},
      {FromBits(0x000FFFFFFFFFFFFF), "2.22507e-308"},  // largest denormal
      {AtRunTime(std::numeric_limits<double>::min()) / 4.0, "5.56268e-309"},
      {AtRunTime(std::numeric_limits<double>::denorm_min()) * 3.0, "1.4822e-323"},
      {FromBits(0x7FEFFFFFFFFFFFFF), "1.79769e+308"},  // largest double
      {FromBits(0xFFEFFFFFFFFFFFFF), "-1.79769e+308"},
  });
}

TEST(NumberFormat, WritesBothZerosAsZero) {
  ExpectWritten({
      {FromBits(0x0000000000000000), "0"},
      {FromBits(0x8000000000000000), "0"},
      {AtRunTime(-1e-300) * 1e-300, "0"},  // underflows to -0
      {AtRunTime(-0.0) * 5.0, "0"},
  });
}

// Infinities and NaNs are told apart by sign, quiet bit and payload.
TEST(NumberFormat, WritesSpecialValuesByTheirBits) {
  const struct {
    std::uint64_t bits;
    const char* expected;
  } kCases[] = {
      {0x7FF0000000000000, "1.#INF"},   {0xFFF0000000000000, "-1.#INF"},
      {0xFFF8000000000000, "-1.#IND"},   // what an invalid operation gives
      {0x7FF8000000000000, "1.#QNAN"},   // same, without the sign
      {0xFFF8000000000001, "-1.#QNAN"},  // a payload makes it no longer #IND
      {0xFFFC000000000000, "-1.#QNAN"}, {0x7FFFFFFFFFFFFFFF, "1.#QNAN"},
      {0x7FF0000000000001, "1.#SNAN"},  {0x7FF4000000000000, "1.#SNAN"},
      {0x7FF7FFFFFFFFFFFF, "1.#SNAN"},  {0xFFF0000000000001, "-1.#SNAN"},
      {0xFFF4000000000000, "-1.#SNAN"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(c.expected, FormatNumber(FromBits(c.bits))) << std::hex << c.bits;
  }
}

TEST(NumberFormat, WritesWhatArithmeticProducesForSpecialValues) {
  const double zero = AtRunTime(0.0);
  const double infinity = AtRunTime(1.0) / zero;
  EXPECT_EQ("1.#INF", FormatNumber(infinity));
  EXPECT_EQ("-1.#INF", FormatNumber(AtRunTime(-1.0) / zero));
  EXPECT_EQ("1.#INF", FormatNumber(AtRunTime(1e308) * 10.0));
  // The default NaN of invalid operations; its sign is the hardware's.
  const double invalid = zero / zero;
  const char* expected_invalid = std::signbit(invalid) ? "-1.#IND" : "1.#QNAN";
  EXPECT_EQ(expected_invalid, FormatNumber(invalid));
  EXPECT_EQ(expected_invalid, FormatNumber(infinity - infinity));
  EXPECT_EQ(expected_invalid, FormatNumber(zero * infinity));
}

}  // namespace
}  // namespace simeq
