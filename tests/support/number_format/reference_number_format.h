#ifndef SIMEQ_TESTS_SUPPORT_NUMBER_FORMAT_REFERENCE_NUMBER_FORMAT_H_
#define SIMEQ_TESTS_SUPPORT_NUMBER_FORMAT_REFERENCE_NUMBER_FORMAT_H_

#include <string>

#include "support/number_format/exact_decimal.h"

namespace simeq::testing {

// Six significant digits and the decimal exponent of the first.
struct SixDigits {
  std::string digits;  // trailing zeros removed, 1 to 6 digits
  int exponent = 0;
};

// Rounds an exact expansion twice: to 17 digits, half away from zero on the
// 18th, then that digit string to 6 digits by its 7th (5 or more rounds up).
SixDigits RoundTwice(const ExactDecimal& exact);

// Lays out six rounded digits: exponent form d.ddddde+XXX for exponents
// below -4 or from 6 up, plain decimals otherwise, a leading "-" when
// `negative`.
std::string LayOut(bool negative, const SixDigits& rounded);

// The screen text of any double, built from its exact expansion: 0 for
// either zero, and the sign with 1.#INF, 1.#IND, 1.#QNAN or 1.#SNAN for the
// special values.
std::string ReferenceNumberFormat(double value);

}  // namespace simeq::testing

#endif  // SIMEQ_TESTS_SUPPORT_NUMBER_FORMAT_REFERENCE_NUMBER_FORMAT_H_
