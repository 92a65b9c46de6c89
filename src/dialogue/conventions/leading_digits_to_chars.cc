#include <charconv>
#include <cstring>
#include <limits>

#include "dialogue/conventions/leading_digits.h"

namespace simeq {
namespace {

// The exponent of to_chars' scientific form, from its "e" to `end`.
int ParseExponent(const char* e, const char* end) {
  int exponent = 0;
  for (const char* p = e + 2; p < end; ++p) exponent = exponent * 10 + (*p - '0');
  return e[1] == '-' ? -exponent : exponent;
}

// The shortest digits that read back as the same normal double. They lie
// within half a unit in the last place of the value (less than 1.2e-10 of a
// unit in the sixth digit), and so does the 17-digit expansion; both round
// to the same six digits unless the seventh and eighth digits are 49 or 50,
// next to a tie. There, and for denormals, whose last place is too coarse,
// this declines.
bool LeadingOfShortest(double magnitude, LeadingDigits& d) {
  if (magnitude < std::numeric_limits<double>::min()) return false;
  // d[.ddd...]e+XX: up to 17 digits, two or three exponent digits.
  char text[32];
  const auto result =
      std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific);
  const char* const e = result.ptr[-4] == 'e' ? result.ptr - 4 : result.ptr - 5;
  // Digit k (from 0) stands at text[k + 1] after the point; zeros stand in
  // for the ones the shortest form leaves out.
  auto digit = [&](int k) { return text + k + 1 < e ? text[k + 1] : '0'; };
  const char seventh = digit(kSignificantDigits);
  const char eighth = digit(kSignificantDigits + 1);
  if ((seventh == '4' && eighth == '9') || (seventh == '5' && eighth == '0')) return false;
  d.digit[0] = text[0];
  for (int k = 1; k <= kSignificantDigits; ++k) d.digit[k] = digit(k);
  d.exponent = ParseExponent(e, result.ptr);
  return true;
}

// Any magnitude: 17 significant digits, rounded from the exact binary value,
// as d.dddddddddddddddde+XX.
void LeadingOfSeventeenDigits(double magnitude, LeadingDigits& d) {
  char text[32];
  const auto result =
      std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, 16);
  d.digit[0] = text[0];
  std::memcpy(d.digit + 1, text + 2, kSignificantDigits);
  d.exponent = ParseExponent(text + 18, result.ptr);  // past "d." and 16 digits
}

}  // namespace

// The cheaper shortest form first; it declines the values it cannot vouch for.
LeadingDigits LeadingDigitsOf(double magnitude) {
  LeadingDigits d{};
  if (!LeadingOfShortest(magnitude, d)) LeadingOfSeventeenDigits(magnitude, d);
  return d;
}

}  // namespace simeq
