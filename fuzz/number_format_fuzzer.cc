// Formats arbitrary 8-byte patterns as doubles. The text must fit the
// documented bound, read back to a value that formats to the same text, and
// show the digits and decimal exponent of the reference rounding: the exact
// decimal expansion, rounded to 17 digits half away from zero and then to 6
// digits by the seventh. Infinities and NaNs must match the reference text.

#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

#include "dialogue/conventions/number_format.h"
#include "require.h"
#include "support/number_format/reference_number_format.h"

namespace simeq::fuzz {
namespace {

// Significant digits (no trailing zeros) and the decimal exponent of the
// first one, as the reference rounding gives them.
using Decimal = testing::SixDigits;

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
    Require(text == simeq::testing::ReferenceNumberFormat(value), "wrong text for a special value");
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
  const Decimal expected =
      simeq::testing::RoundTwice(simeq::testing::ExpandExactly(std::fabs(value)));
  Require(shown.digits == expected.digits, "wrong significant digits");
  Require(shown.exponent == expected.exponent, "wrong decimal exponent");
  return 0;
}
