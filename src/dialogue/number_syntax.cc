#include "dialogue/number_syntax.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

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
  State next = state_;
  switch (state_) {
    case State::kStart:
      if (IsSign(c)) next = State::kSign;
      else if (IsDigit(c)) next = State::kInteger;
      else if (real && c == '.') next = State::kLonePoint;
      else return false;
      break;
    case State::kSign:
      if (IsDigit(c)) next = State::kInteger;
      else if (real && c == '.') next = State::kLonePoint;
      else return false;
      break;
    case State::kInteger:
      if (IsDigit(c)) next = State::kInteger;
      else if (real && c == '.') next = State::kFraction;
      else if (real && IsExponentLetter(c)) next = State::kExponent;
      else return false;
      break;
    case State::kLonePoint:
      if (IsDigit(c)) next = State::kFraction;
      else return false;
      break;
    case State::kFraction:
      if (IsDigit(c)) next = State::kFraction;
      else if (IsExponentLetter(c)) next = State::kExponent;
      else return false;
      break;
    case State::kExponent:
      if (IsSign(c)) next = State::kExponentSign;
      else if (IsDigit(c)) next = State::kExponentDigits;
      else return false;
      break;
    case State::kExponentSign:
    case State::kExponentDigits:
      if (IsDigit(c)) next = State::kExponentDigits;
      else return false;
      break;
  }
  state_ = next;
  return true;
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
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (result.ec != std::errc() || result.ptr != end) return std::nullopt;
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
