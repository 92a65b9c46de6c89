// A million seeded bit patterns through the number format and the exact
// reference. Too slow for every build under the sanitizers, so it carries
// the CTest label "exhaustive", which the default test presets leave out:
// run it with  ctest --preset exhaustive.

#include <gtest/gtest.h>

#include "support/format_agreement.h"

namespace simeq::testing {
namespace {

TEST(NumberFormatExhaustive, AgreesWithTheExactReferenceOnAMillionBitPatterns) {
  FormatAgreement agreement;
  RandomDoubles patterns(0x5eed0fba5e10ULL);
  for (int i = 0; i < 1000000; ++i) agreement.Check(patterns.Next());
  EXPECT_EQ(1000000, agreement.checked());
}

}  // namespace
}  // namespace simeq::testing
