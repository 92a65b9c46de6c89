// Formats arbitrary 8-byte patterns as doubles. The text must fit the
// documented bound, read back to a value that formats to the same text, and
// show the digits and decimal exponent of an independent rounding: the
// exact decimal expansion from printf, rounded to 17 digits half away from
// zero and then to 6 digits by the seventh. Infinities and NaNs are checked
// by their class.

#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

#include "dialogue/number_format.h"
#include "require.h"

namespace simeq::fuzz {
namespace {

// Significant digits (no trailing zeros) and the decimal exponent of the
// first one.
struct Decimal {
  std::string digits;
  int exponent = 0;
};

// Adds one to the last digit of `digits`, carrying; a carry out of the first
// digit makes it 1 followed by zeros and raises `exponent`.
void RoundUp(std::string& digits, int& exponent) {
  std::size_t i = digits.size();
  while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
  if (i > 0) {
    ++digits[i - 1];
  } else {
    digits[0] = '1';
    ++exponent;
  }
}

// The six-digit rounding of a finite positive `magnitude`.
Decimal IndependentRounding(double magnitude) {
  // glibc prints the exact binary value when asked for enough digits; no
  // double needs more than 767 significant digits.
  char exact[1024];
  std::snprintf(exact, sizeof exact, "%.800e", magnitude);
  const char* e = std::strchr(exact, 'e');
  Require(e != nullptr, "printf gave no exponent");
  Decimal d;
  d.digits.push_back(exact[0]);
  d.digits.append(exact + 2, static_cast<std::size_t>(e - (exact + 2)));
  std::from_chars(e + (e[1] == '+' ? 2 : 1), exact + std::strlen(exact), d.exponent);

  const bool up17 = d.digits[17] >= '5';
  d.digits.resize(17);
  if (up17) RoundUp(d.digits, d.exponent);
  const bool up6 = d.digits[6] >= '5';
  d.digits.resize(6);
  if (up6) RoundUp(d.digits, d.exponent);
  while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
  return d;
}

bool AllDigits(std::string_view text) {
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// Reads the digits and exponent back out of a formatted magnitude, checking
// its layout on the way: exponent form for exponents below -4 or from 6 up,
// a signed exponent of exactly three digits, no trailing zeros after the
// point and no point without digits after it.
Decimal Shown(std::string_view text) {
  Decimal d;
  const std::size_t e = text.find('e');
  const std::string_view mantissa = text.substr(0, e);
  const std::size_t point = mantissa.find('.');
  const std::string_view integer = mantissa.substr(0, point);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : mantissa.substr(point + 1);
  Require(!integer.empty() && AllDigits(integer) && AllDigits(fraction), "not a number");
  Require(point == std::string_view::npos || (!fraction.empty() && fraction.back() != '0'),
          "a trailing zero or a bare point");
  if (e != std::string_view::npos) {
    const std::string_view exponent = text.substr(e + 1);
    Require(integer.size() == 1 && integer[0] != '0', "exponent form needs one leading digit");
    Require(exponent.size() == 4 && (exponent[0] == '+' || exponent[0] == '-') &&
                AllDigits(exponent.substr(1)),
            "the exponent is not a sign and three digits");
    d.digits = std::string(integer) + std::string(fraction);
    std::from_chars(exponent.data() + 1, exponent.data() + exponent.size(), d.exponent);
    if (exponent[0] == '-') d.exponent = -d.exponent;
    Require(d.exponent < -4 || d.exponent >= 6, "exponent form for a plain value");
  } else if (integer != "0") {
    Require(integer[0] != '0', "a leading zero");
    d.exponent = static_cast<int>(integer.size()) - 1;
    d.digits = std::string(integer) + std::string(fraction);
    while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
    Require(d.exponent < 6, "plain form for a large value");
  } else {
    const std::size_t zeros = fraction.find_first_not_of('0');
    Require(zeros != std::string_view::npos, "zero shown for a non-zero value");
    d.exponent = -static_cast<int>(zeros) - 1;
    d.digits = std::string(fraction.substr(zeros));
    Require(d.exponent >= -4, "plain form for a small value");
  }
  Require(d.digits.size() <= 6, "more than six significant digits");
  return d;
}

// Infinities and NaNs: the sign, then 1.#INF, 1.#IND (only the negative
// quiet NaN with no payload), 1.#QNAN or 1.#SNAN by the quiet bit.
void CheckSpecial(std::uint64_t bits, std::string_view text) {
  const bool negative = (bits >> 63) != 0;
  const std::uint64_t payload = bits & ((std::uint64_t{1} << 51) - 1);
  const bool quiet = ((bits >> 51) & 1) != 0;
  const bool infinite = payload == 0 && !quiet;
  Require(text.starts_with("-") == negative, "wrong sign on a special value");
  if (negative) text.remove_prefix(1);
  const char* expected = infinite                   ? "1.#INF"
                         : !quiet                   ? "1.#SNAN"
                         : negative && payload == 0 ? "1.#IND"
                                                    : "1.#QNAN";
  Require(text == expected, "wrong text for a special value");
}

}  // namespace
}  // namespace simeq::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace simeq::fuzz;
  std::uint64_t bits = 0;
  std::memcpy(&bits, data, size < sizeof bits ? size : sizeof bits);
  const double value = std::bit_cast<double>(bits);

  // A buffer of exactly the documented size, so that AddressSanitizer sees
  // any write past it.
  const auto buffer = std::make_unique<char[]>(simeq::kMaxNumberText);
  const std::size_t length = simeq::FormatNumber(value, buffer.get());
  Require(length >= 1 && length <= simeq::kMaxNumberText, "length out of bounds");
  const std::string text(buffer.get(), length);
  Require(simeq::FormatNumber(value) == text, "the two forms of FormatNumber differ");

  if (!std::isfinite(value)) {
    CheckSpecial(bits, text);
    return 0;
  }
  if (value == 0.0) {
    Require(text == "0", "zero not shown as 0");
    return 0;
  }

  double back = 0.0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), back);
  Require(result.ec == std::errc() && result.ptr == text.data() + text.size(),
          "the text does not read back");
  Require(std::signbit(back) == std::signbit(value), "the sign is lost");
  Require(simeq::FormatNumber(back) == text, "the value read back formats differently");

  const std::string_view magnitude = std::string_view(text).substr(std::signbit(value) ? 1 : 0);
  const Decimal shown = Shown(magnitude);
  const Decimal expected = IndependentRounding(std::fabs(value));
  Require(shown.digits == expected.digits, "wrong significant digits");
  Require(shown.exponent == expected.exponent, "wrong decimal exponent");
  return 0;
}
