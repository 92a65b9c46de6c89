#include "dialogue/conventions/number_syntax.h"

#include <cmath>
#include <limits>

#include "dialogue/conventions/decimal_to_double.h"

namespace simeq {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSign(char c) { return c == '+' || c == '-'; }
bool IsExponentLetter(char c) { return c == 'e' || c == 'E'; }

// True if a digit of the significand (before any exponent) is not 0.
bool HasNonZeroSignificand(std::string_view text) {
  for (const char c : text) {
    if (IsExponentLetter(c)) return false;
    if (c >= '1' && c <= '9') return true;
  }
  return false;
}

}  // namespace

bool NumberScanner::Accept(char c) {
  const bool real = kind_ == Kind::kReal;
  const bool digit = IsDigit(c);
  const bool point = real && c == '.';
  const bool exponent = real && IsExponentLetter(c);
  switch (state_) {
    case State::kStart:
      if (IsSign(c)) return MoveTo(State::kSign);
      [[fallthrough]];
    case State::kSign:
      if (digit) return MoveTo(State::kInteger);
      if (point) return MoveTo(State::kLonePoint);
      return false;
    case State::kInteger:
      if (digit) return MoveTo(State::kInteger);
      if (point) return MoveTo(State::kFraction);
      if (exponent) return MoveTo(State::kExponent);
      return false;
    case State::kLonePoint:
      if (digit) return MoveTo(State::kFraction);
      return false;
    case State::kFraction:
      if (digit) return MoveTo(State::kFraction);
      if (exponent) return MoveTo(State::kExponent);
      return false;
    case State::kExponent:
      if (IsSign(c)) return MoveTo(State::kExponentSign);
      [[fallthrough]];
    case State::kExponentSign:
    case State::kExponentDigits:
      if (digit) return MoveTo(State::kExponentDigits);
      return false;
  }
  return false;
}

bool NumberScanner::Complete() const {
  return state_ == State::kInteger || state_ == State::kFraction ||
         state_ == State::kExponentDigits;
}

std::optional<std::int32_t> ConvertInteger(std::string_view text) {
  bool negative = false;
  if (!text.empty() && IsSign(text.front())) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // Accumulate the magnitude, stopping once it is past any 32-bit value so
  // that a reply of any length cannot overflow.
  constexpr std::int64_t kLimit = std::int64_t{1} << 31;
  std::int64_t magnitude = 0;
  for (const char c : text) {
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > kLimit) return std::nullopt;
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

std::optional<double> ConvertReal(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const std::optional<double> converted = DecimalToDouble(text);
  if (!converted) return std::nullopt;
  const double value = *converted;
  if (std::isinf(value)) return std::nullopt;
  if (value == 0.0) {
    // A non-zero text that came out as zero was too small to hold.
    if (HasNonZeroSignificand(text)) return std::nullopt;
  } else if (std::fabs(value) < std::numeric_limits<double>::min()) {
    return std::nullopt;
  }
  return value;
}

}  // namespace simeq
