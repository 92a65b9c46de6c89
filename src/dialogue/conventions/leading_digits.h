#ifndef SIMEQ_DIALOGUE_CONVENTIONS_LEADING_DIGITS_H_
#define SIMEQ_DIALOGUE_CONVENTIONS_LEADING_DIGITS_H_

namespace simeq {

// The significant digits a number is written with.
inline constexpr int kSignificantDigits = 6;

// The start of a magnitude's expansion to 17 significant digits.
struct LeadingDigits {
  char digit[kSignificantDigits + 1];  // the first seven of the 17 digits, '0' to '9'
  int exponent;                        // decimal exponent of the first digit
};

// Expands a finite, positive `magnitude` to 17 significant digits, rounded
// from its exact binary value, and gives the first seven of them. Two
// versions, chosen in src/CMakeLists.txt: std::to_chars where the standard
// library has it for double, else the C library's snprintf, whose
// conversions are exact in the C libraries this is built with (glibc, musl).
LeadingDigits LeadingDigitsOf(double magnitude);

}  // namespace simeq

#endif  // SIMEQ_DIALOGUE_CONVENTIONS_LEADING_DIGITS_H_
