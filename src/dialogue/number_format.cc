#include "dialogue/number_format.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <system_error>

namespace simeq {
namespace {

constexpr int kSignificantDigits = 6;

// The first seven significant digits of a magnitude's 17-digit expansion,
// which is all that rounding to six digits looks at.
struct Leading {
  char digits[kSignificantDigits + 1];
  int exponent;  // decimal exponent of the first digit
};

// Six significant digits and the decimal exponent of the first one.
struct Rounded {
  char digits[kSignificantDigits];  // trailing zeros included
  int count;  // digits left once trailing zeros are dropped, 1 to 6
  int exponent;  // value = 0.d1d2... x 10^(exponent + 1)
};

std::size_t Append(char* out, std::size_t at, const char* text) {
  const std::size_t length = std::strlen(text);
  std::memcpy(out + at, text, length);
  return at + length;
}

// The text for an infinity or NaN, chosen by its sign, quiet bit and payload.
const char* SpecialText(double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  const bool negative = (bits >> 63) != 0;
  const std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
  constexpr std::uint64_t kQuietBit = std::uint64_t{1} << 51;
  if (mantissa == 0) return negative ? "-1.#INF" : "1.#INF";
  if ((mantissa & kQuietBit) == 0) return negative ? "-1.#SNAN" : "1.#SNAN";
  if (negative && mantissa == kQuietBit) return "-1.#IND";
  return negative ? "-1.#QNAN" : "1.#QNAN";
}

// A whole number below 2^53 has at most 16 digits, so its 17-digit
// expansion is its own digits followed by zeros: integer conversion gives
// them exactly, and much faster than a floating-point conversion.
bool LeadingOfWholeNumber(double magnitude, Leading& leading) {
  constexpr double kExactLimit = 9007199254740992.0;  // 2^53
  if (!(magnitude < kExactLimit)) return false;
  const auto whole = static_cast<std::uint64_t>(magnitude);
  if (static_cast<double>(whole) != magnitude) return false;
  char text[24];
  std::memset(text, '0', sizeof text);  // the zeros that follow the digits
  const auto result = std::to_chars(text, text + sizeof text, whole);
  std::memcpy(leading.digits, text, sizeof leading.digits);
  leading.exponent = static_cast<int>(result.ptr - text) - 1;
  return true;
}

// Any other magnitude: 17 significant digits, rounded from the exact binary
// value, as d.dddddddddddddddde+XX (two or three exponent digits).
Leading LeadingOfSeventeenDigits(double magnitude) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, magnitude,
                                    std::chars_format::scientific, 16);
  Leading leading{};
  leading.digits[0] = text[0];
  std::memcpy(leading.digits + 1, text + 2, kSignificantDigits);
  const char* const exponent_sign = text + 19;  // past "d.", 16 digits and e
  int exponent = 0;
  for (const char* p = exponent_sign + 1; p < result.ptr; ++p) {
    exponent = exponent * 10 + (*p - '0');
  }
  leading.exponent = *exponent_sign == '-' ? -exponent : exponent;
  return leading;
}

// Rounds the magnitude of a finite non-zero value to six significant digits.
// The exact value is first rounded to 17 digits, then that digit string is
// rounded once more by its seventh digit, so a value just below a seventh
// digit of 5 that the 17-digit step lifts to 5 rounds up.
Rounded RoundToSixDigits(double magnitude) {
  Leading leading{};
  if (!LeadingOfWholeNumber(magnitude, leading)) {
    leading = LeadingOfSeventeenDigits(magnitude);
  }
  Rounded rounded{};
  std::memcpy(rounded.digits, leading.digits, kSignificantDigits);
  rounded.exponent = leading.exponent;
  if (leading.digits[kSignificantDigits] >= '5') {
    int i = kSignificantDigits - 1;
    while (i >= 0 && rounded.digits[i] == '9') rounded.digits[i--] = '0';
    if (i >= 0) {
      ++rounded.digits[i];
    } else {
      rounded.digits[0] = '1';  // 999999.5 becomes 1000000
      ++rounded.exponent;
    }
  }
  rounded.count = kSignificantDigits;
  while (rounded.count > 1 && rounded.digits[rounded.count - 1] == '0') {
    --rounded.count;
  }
  return rounded;
}

// d[.ddddd]e+XXX, with at least three exponent digits.
std::size_t WriteExponentForm(const Rounded& r, char* out, std::size_t at) {
  // All six digits go out behind the point; the count then keeps the
  // significant ones and the exponent overwrites the rest.
  out[at] = r.digits[0];
  out[at + 1] = '.';
  std::memcpy(out + at + 2, r.digits + 1, kSignificantDigits - 1);
  at += r.count > 1 ? static_cast<std::size_t>(r.count) + 1 : 1;
  const int magnitude = r.exponent < 0 ? -r.exponent : r.exponent;
  out[at] = 'e';
  out[at + 1] = r.exponent < 0 ? '-' : '+';
  out[at + 2] = static_cast<char>('0' + magnitude / 100);
  out[at + 3] = static_cast<char>('0' + magnitude / 10 % 10);
  out[at + 4] = static_cast<char>('0' + magnitude % 10);
  return at + 5;
}

// Plain decimal form for exponents -4 to 5.
std::size_t WritePlainForm(const Rounded& r, char* out, std::size_t at) {
  const auto count = static_cast<std::size_t>(r.count);
  if (r.exponent < 0) {
    // "0.", up to three zeros, then the digits.
    const auto zeros = static_cast<std::size_t>(-r.exponent - 1);
    std::memcpy(out + at, "0.000", 2 + zeros);
    at += 2 + zeros;
    std::memcpy(out + at, r.digits, kSignificantDigits);
    return at + count;
  }
  // The rounded digits keep their zeros, so the whole part is a plain copy.
  const auto whole = static_cast<std::size_t>(r.exponent) + 1;
  std::memcpy(out + at, r.digits, whole);
  at += whole;
  if (count <= whole) return at;
  out[at++] = '.';
  std::memcpy(out + at, r.digits + whole, count - whole);
  return at + count - whole;
}

}  // namespace

std::size_t FormatNumber(double value, char* out) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
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
  const Rounded rounded = RoundToSixDigits(negative ? -value : value);
  if (rounded.exponent < -4 || rounded.exponent >= kSignificantDigits) {
    return WriteExponentForm(rounded, out, at);
  }
  return WritePlainForm(rounded, out, at);
}

std::string FormatNumber(double value) {
  char text[kMaxNumberText];
  return std::string(text, FormatNumber(value, text));
}

}  // namespace simeq
