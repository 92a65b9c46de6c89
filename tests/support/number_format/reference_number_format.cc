#include "support/number_format/reference_number_format.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "dialogue/conventions/bit_cast.h"

namespace simeq::testing {
namespace {

// `digits` cut (or padded with zeros) to `count`, rounded up by one in the
// last place when the next exact digit is 5 or more; a carry out of the
// first digit gives 1 followed by zeros and raises `exponent`.
std::string RoundTo(const std::string& digits, std::size_t count, int& exponent) {
  std::string kept = digits.substr(0, count);
  kept.resize(count, '0');
  if (digits.size() <= count || digits[count] < '5') return kept;
  std::size_t i = count;
  while (i > 0 && kept[i - 1] == '9') kept[--i] = '0';
  if (i > 0) {
    ++kept[i - 1];
  } else {
    kept[0] = '1';
    ++exponent;
  }
  return kept;
}

// The special texts by sign, quiet bit and payload.
std::string SpecialText(std::uint64_t bits) {
  const bool negative = (bits >> 63) != 0;
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  const std::uint64_t quiet = std::uint64_t{1} << 51;
  const std::string sign = negative ? "-" : "";
  if (fraction == 0) return sign + "1.#INF";
  if ((fraction & quiet) == 0) return sign + "1.#SNAN";
  if (negative && fraction == quiet) return "-1.#IND";
  return sign + "1.#QNAN";
}

}  // namespace

SixDigits RoundTwice(const ExactDecimal& exact) {
  SixDigits rounded;
  rounded.exponent = exact.exponent;
  const std::string seventeen = RoundTo(exact.digits, 17, rounded.exponent);
  rounded.digits = RoundTo(seventeen, 6, rounded.exponent);
  while (rounded.digits.size() > 1 && rounded.digits.back() == '0') rounded.digits.pop_back();
  return rounded;
}

std::string LayOut(bool negative, const SixDigits& rounded) {
  std::string text = negative ? "-" : "";
  const std::string& d = rounded.digits;
  const int x = rounded.exponent;
  if (x < -4 || x >= 6) {
    text += d.substr(0, 1);
    if (d.size() > 1) text += "." + d.substr(1);
    const int magnitude = std::abs(x);
    text += x < 0 ? "e-" : "e+";
    text += static_cast<char>('0' + magnitude / 100);
    text += static_cast<char>('0' + magnitude / 10 % 10);
    text += static_cast<char>('0' + magnitude % 10);
  } else if (x < 0) {
    text += "0." + std::string(static_cast<std::size_t>(-x - 1), '0') + d;
  } else {
    const auto whole = static_cast<std::size_t>(x) + 1;
    if (d.size() <= whole) {
      text += d + std::string(whole - d.size(), '0');
    } else {
      text += d.substr(0, whole) + "." + d.substr(whole);
    }
  }
  return text;
}

std::string ReferenceNumberFormat(double value) {
  const auto bits = simeq::bit_cast<std::uint64_t>(value);
  if ((bits >> 52 & 0x7ff) == 0x7ff) return SpecialText(bits);
  if ((bits << 1) == 0) return "0";
  const bool negative = (bits >> 63) != 0;
  const double magnitude = simeq::bit_cast<double>(bits & ~(std::uint64_t{1} << 63));
  return LayOut(negative, RoundTwice(ExpandExactly(magnitude)));
}

}  // namespace simeq::testing
