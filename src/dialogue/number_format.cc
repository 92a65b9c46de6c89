#include "dialogue/number_format.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <system_error>

namespace simeq {
namespace {

constexpr int kSignificantDigits = 6;

// Six significant digits and the decimal exponent of the first one.
struct Rounded {
  char digits[kSignificantDigits];
  int count;     // digits left after trailing zeros are dropped, 1 to 6
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

// Rounds the magnitude of a finite non-zero value to six significant digits.
// The exact value is first rounded to 17 digits, then that digit string is
// rounded once more by its seventh digit, so a value just below a seventh
// digit of 5 that the 17-digit step lifts to 5 rounds up.
Rounded RoundToSixDigits(double magnitude) {
  // d.dddddddddddddddde+XXX: 17 digits, the point, the exponent.
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, magnitude,
                                    std::chars_format::scientific, 16);
  const char* exponent_text = text + 18;  // past "d." and 16 digits, at the e
  int exponent = 0;
  std::from_chars(exponent_text + 2, result.ptr, exponent);
  if (exponent_text[1] == '-') exponent = -exponent;

  char seventeen[17];
  seventeen[0] = text[0];
  std::memcpy(seventeen + 1, text + 2, 16);

  Rounded rounded{};
  std::memcpy(rounded.digits, seventeen, kSignificantDigits);
  if (seventeen[kSignificantDigits] >= '5') {
    int i = kSignificantDigits - 1;
    while (i >= 0 && rounded.digits[i] == '9') rounded.digits[i--] = '0';
    if (i >= 0) {
      ++rounded.digits[i];
    } else {
      rounded.digits[0] = '1';  // 999999.5 becomes 1000000
      ++exponent;
    }
  }
  rounded.exponent = exponent;
  rounded.count = kSignificantDigits;
  while (rounded.count > 1 && rounded.digits[rounded.count - 1] == '0') {
    --rounded.count;
  }
  return rounded;
}

// d[.ddddd]e+XXX, with at least three exponent digits.
std::size_t WriteExponentForm(const Rounded& r, char* out, std::size_t at) {
  out[at++] = r.digits[0];
  if (r.count > 1) {
    out[at++] = '.';
    for (int i = 1; i < r.count; ++i) out[at++] = r.digits[i];
  }
  out[at++] = 'e';
  out[at++] = r.exponent < 0 ? '-' : '+';
  const int magnitude = r.exponent < 0 ? -r.exponent : r.exponent;
  out[at++] = static_cast<char>('0' + magnitude / 100);
  out[at++] = static_cast<char>('0' + magnitude / 10 % 10);
  out[at++] = static_cast<char>('0' + magnitude % 10);
  return at;
}

// Plain decimal form for exponents -4 to 5.
std::size_t WritePlainForm(const Rounded& r, char* out, std::size_t at) {
  if (r.exponent < 0) {
    out[at++] = '0';
    out[at++] = '.';
    for (int i = -1; i > r.exponent; --i) out[at++] = '0';
    for (int i = 0; i < r.count; ++i) out[at++] = r.digits[i];
    return at;
  }
  const int integer_digits = r.exponent + 1;
  for (int i = 0; i < integer_digits; ++i) {
    out[at++] = i < r.count ? r.digits[i] : '0';
  }
  if (r.count > integer_digits) {
    out[at++] = '.';
    for (int i = integer_digits; i < r.count; ++i) out[at++] = r.digits[i];
  }
  return at;
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
  std::size_t at = 0;
  const bool negative = (bits >> 63) != 0;
  if (negative) out[at++] = '-';
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
