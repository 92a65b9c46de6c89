#include "dialogue/conventions/number_format.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "dialogue/conventions/bit_cast.h"
#include "dialogue/conventions/leading_digits.h"

namespace simeq {
namespace {

// The digits of a finite non-zero magnitude on their way to the screen.
struct Digits {
  // First the leading seven digits of the magnitude's 17-digit expansion;
  // once rounded, six digits with their trailing zeros.
  char digit[kSignificantDigits + 1];
  int count;     // once rounded: the digits left without trailing zeros, 1 to 6
  int exponent;  // decimal exponent of the first digit
};

std::size_t Append(char* out, std::size_t at, std::string_view text) {
  text.copy(out + at, text.size());
  return at + text.size();
}

// The text for an infinity or NaN, chosen by its sign, quiet bit and payload.
std::string_view SpecialText(double value) {
  const auto bits = bit_cast<std::uint64_t>(value);
  const bool negative = (bits >> 63) != 0;
  const std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
  constexpr std::uint64_t kQuietBit = std::uint64_t{1} << 51;
  if (mantissa == 0) return negative ? "-1.#INF" : "1.#INF";
  if ((mantissa & kQuietBit) == 0) return negative ? "-1.#SNAN" : "1.#SNAN";
  if (negative && mantissa == kQuietBit) return "-1.#IND";
  return negative ? "-1.#QNAN" : "1.#QNAN";
}

// The leading digits come from the cheaper of two sources that gives the
// seven digits of the 17-digit expansion: the first declines the values it
// cannot vouch for.

// A whole number below 2^53 has at most 16 digits, so its 17-digit
// expansion is its own digits followed by zeros: integer conversion gives
// them exactly.
bool LeadingOfWholeNumber(double magnitude, Digits& d) {
  constexpr double kExactLimit = 9007199254740992.0;  // 2^53
  if (!(magnitude < kExactLimit)) return false;
  const auto whole = static_cast<std::uint64_t>(magnitude);
  if (static_cast<double>(whole) != magnitude) return false;
  char text[24];
  std::memset(text, '0', sizeof text);  // the zeros that follow the digits
  const auto result = std::to_chars(text, text + sizeof text, whole);
  std::memcpy(d.digit, text, sizeof d.digit);
  d.exponent = static_cast<int>(result.ptr - text) - 1;
  return true;
}

// Any other magnitude: the leading digits of its exact expansion.
void LeadingOfExpansion(double magnitude, Digits& d) {
  const LeadingDigits lead = LeadingDigitsOf(magnitude);
  static_assert(sizeof lead.digit == sizeof d.digit);
  std::memcpy(d.digit, lead.digit, sizeof d.digit);
  d.exponent = lead.exponent;
}

// Rounds the magnitude of a finite non-zero value to six significant digits.
// The exact value is first rounded to 17 digits, then that digit string is
// rounded once more by its seventh digit, so a value just below a seventh
// digit of 5 that the 17-digit step lifts to 5 rounds up.
void RoundToSixDigits(double magnitude, Digits& d) {
  if (!LeadingOfWholeNumber(magnitude, d)) LeadingOfExpansion(magnitude, d);
  if (d.digit[kSignificantDigits] >= '5') {
    int i = kSignificantDigits - 1;
    while (i >= 0 && d.digit[i] == '9') d.digit[i--] = '0';
    if (i >= 0) {
      ++d.digit[i];
    } else {
      d.digit[0] = '1';  // 999999.5 becomes 1000000
      ++d.exponent;
    }
  }
  d.count = kSignificantDigits;
  while (d.count > 1 && d.digit[d.count - 1] == '0') --d.count;
}

// d[.ddddd]e+XXX, with at least three exponent digits.
std::size_t WriteExponentForm(const Digits& d, char* out, std::size_t at) {
  // All six digits go out behind the point; the count then keeps the
  // significant ones and the exponent overwrites the rest.
  out[at] = d.digit[0];
  out[at + 1] = '.';
  std::memcpy(out + at + 2, d.digit + 1, kSignificantDigits - 1);
  at += d.count > 1 ? static_cast<std::size_t>(d.count) + 1 : 1;
  const int magnitude = d.exponent < 0 ? -d.exponent : d.exponent;
  out[at] = 'e';
  out[at + 1] = d.exponent < 0 ? '-' : '+';
  out[at + 2] = static_cast<char>('0' + magnitude / 100);
  out[at + 3] = static_cast<char>('0' + magnitude / 10 % 10);
  out[at + 4] = static_cast<char>('0' + magnitude % 10);
  return at + 5;
}

// Plain decimal form for exponents -4 to 5.
std::size_t WritePlainForm(const Digits& d, char* out, std::size_t at) {
  const auto count = static_cast<std::size_t>(d.count);
  if (d.exponent < 0) {
    // "0.", up to three zeros, then the digits.
    const auto zeros = static_cast<std::size_t>(-d.exponent - 1);
    std::memcpy(out + at, "0.000", 2 + zeros);
    at += 2 + zeros;
    std::memcpy(out + at, d.digit, kSignificantDigits);
    return at + count;
  }
  // The rounded digits keep their zeros, so the whole part is a plain copy.
  const auto whole = static_cast<std::size_t>(d.exponent) + 1;
  std::memcpy(out + at, d.digit, whole);
  at += whole;
  if (count <= whole) return at;
  out[at++] = '.';
  std::memcpy(out + at, d.digit + whole, count - whole);
  return at + count - whole;
}

}  // namespace

std::size_t FormatNumber(double value, char* out) {
  const auto bits = bit_cast<std::uint64_t>(value);
  constexpr std::uint64_t kExponentMask = std::uint64_t{0x7ff} << 52;
  if ((bits & kExponentMask) == kExponentMask) {
    return Append(out, 0, SpecialText(value));
  }
  if ((bits << 1) == 0) {
    out[0] = '0';  // zero of either sign
    return 1;
  }
  const bool negative = (bits >> 63) != 0;
  out[0] = '-';  // overwritten by the digits of a positive value
  const std::size_t at = negative ? 1 : 0;
  Digits digits{};
  RoundToSixDigits(negative ? -value : value, digits);
  if (digits.exponent < -4 || digits.exponent >= kSignificantDigits) {
    return WriteExponentForm(digits, out, at);
  }
  return WritePlainForm(digits, out, at);
}

std::string FormatNumber(double value) {
  char text[kMaxNumberText];
  return std::string(text, FormatNumber(value, text));
}

}  // namespace simeq
