#ifndef SIMEQ_TESTS_SUPPORT_NUMBER_FORMAT_EXACT_DECIMAL_H_
#define SIMEQ_TESTS_SUPPORT_NUMBER_FORMAT_EXACT_DECIMAL_H_

#include <string>

namespace simeq::testing {

// The exact decimal value of a double, every digit of it.
struct ExactDecimal {
  std::string digits;  // all significant digits: no leading or trailing zeros
  int exponent = 0;    // decimal exponent of the first digit
};

// Expands a finite, positive `magnitude` exactly, using integer arithmetic
// only: m x 2^e is m << e when e >= 0 and (m x 5^-e) / 10^-e otherwise.
ExactDecimal ExpandExactly(double magnitude);

}  // namespace simeq::testing

#endif  // SIMEQ_TESTS_SUPPORT_NUMBER_FORMAT_EXACT_DECIMAL_H_
