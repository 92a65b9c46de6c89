#include "support/number_format/format_agreement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <limits>
#include <string>

#include "dialogue/conventions/bit_cast.h"
#include "dialogue/conventions/number_format.h"
#include "support/number_format/reference_number_format.h"

namespace simeq::testing {

void FormatAgreement::Check(double value) {
  ++checked_;
  const std::string actual = simeq::FormatNumber(value);
  const std::string expected = ReferenceNumberFormat(value);
  if (actual == expected || failures_ >= kReportedFailures) return;
  ++failures_;
  ADD_FAILURE() << "bits 0x" << std::hex << simeq::bit_cast<std::uint64_t>(value) << std::dec
                << " (" << std::setprecision(17) << value << "): FormatNumber gives \"" << actual
                << "\", exact rounding gives \"" << expected << "\"";
}

void FormatAgreement::CheckWithNeighbours(double value, int ulps) {
  Check(value);
  double up = value;
  double down = value;
  for (int i = 0; i < ulps; ++i) {
    up = std::nextafter(up, std::numeric_limits<double>::infinity());
    down = std::nextafter(down, -std::numeric_limits<double>::infinity());
    Check(up);
    Check(down);
  }
}

double RandomDoubles::Next() {
  // splitmix64
  std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  z ^= z >> 31;
  near_one_ = !near_one_;
  if (near_one_) {
    // Keep sign and fraction; biased exponent 1023 - 32 to 1023 + 31.
    const std::uint64_t exponent = 1023 - 32 + (z >> 52) % 64;
    z = (z & 0x800fffffffffffffULL) | exponent << 52;
  }
  return simeq::bit_cast<double>(z);
}

}  // namespace simeq::testing
