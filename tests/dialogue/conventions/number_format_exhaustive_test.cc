// Long runs of the number format against its exact reference: a million
// seeded bit patterns, and 210,000 values of three kinds, each of those also
// checked to stay within the longest text a number may take. The everyday
// tests check samples of the same kinds; these are too slow for every build
// under the sanitizers, so they carry the CTest label "exhaustive", which the
// default test presets leave out: run them with  ctest --preset exhaustive.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "dialogue/conventions/bit_cast.h"
#include "dialogue/conventions/number_format.h"
#include "support/number_format/format_agreement.h"
#include "support/number_format/reference_number_format.h"

namespace simeq::testing {
namespace {

TEST(NumberFormatExhaustive, AgreesWithTheExactReferenceOnAMillionBitPatterns) {
  FormatAgreement agreement;
  RandomDoubles patterns(0x5eed0fba5e10ULL);
  for (int i = 0; i < 1000000; ++i) agreement.Check(patterns.Next());
  EXPECT_EQ(1000000, agreement.checked());
}

double FromBits(std::uint64_t bits) { return simeq::bit_cast<double>(bits); }

// Random finite doubles of three kinds: any bit pattern, short decimals in
// the plain range, and neighbours of six-digit ties.
TEST(NumberFormatExhaustive, AgreesWithTheExactReferenceOnThreeKindsOfValue) {
  std::mt19937_64 random(20240611);
  constexpr int kPerKind = 70000;
  int checked = 0;
  auto check = [&checked](double value) {
    char out[kMaxNumberText + 8];
    std::memset(out, '#', sizeof out);
    const std::size_t length = FormatNumber(value, out);
    ASSERT_LT(length, kMaxNumberText);
    ASSERT_EQ('#', out[kMaxNumberText]);  // nothing written past the limit
    ASSERT_EQ(testing::ReferenceNumberFormat(value), std::string(out, length))
        << std::hexfloat << value;
    ++checked;
  };

  for (int i = 0; i < kPerKind; ++i) {
    const double value = FromBits(random());
    if (std::isfinite(value)) check(value);
  }
  std::uniform_int_distribution<long long> mantissa(1, 999999999);
  std::uniform_int_distribution<int> scale(-13, 4);
  for (int i = 0; i < kPerKind; ++i) {
    const double value = static_cast<double>(mantissa(random)) * std::pow(10.0, scale(random));
    check(i % 2 == 0 ? value : -value);
  }
  std::uniform_int_distribution<int> six_digits(100000, 999999);
  std::uniform_int_distribution<int> decade(-320, 300);
  std::uniform_int_distribution<int> step(-2, 2);
  for (int i = 0; i < kPerKind; ++i) {
    char tie[32];
    std::snprintf(tie, sizeof tie, "%d5e%d", six_digits(random), decade(random));
    double value = std::strtod(tie, nullptr);
    for (int n = step(random); n != 0; n += n < 0 ? 1 : -1) {
      value = std::nextafter(value, n < 0 ? 0.0 : HUGE_VAL);
    }
    if (value != 0.0 && std::isfinite(value)) check(value);
  }
  EXPECT_GT(checked, 3 * kPerKind * 9 / 10);
}

}  // namespace
}  // namespace simeq::testing
