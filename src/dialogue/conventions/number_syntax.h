#ifndef SIMEQ_DIALOGUE_CONVENTIONS_NUMBER_SYNTAX_H_
#define SIMEQ_DIALOGUE_CONVENTIONS_NUMBER_SYNTAX_H_

#include <cstdint>
#include <optional>
#include <string_view>

namespace simeq {

// Decides, one character at a time, how far typed text continues a number.
// Integers are an optional sign and decimal digits; real numbers add an
// optional point and fraction and an optional exponent (e or E, optional
// sign, digits). There is no hexadecimal, infinity or NaN form.
class NumberScanner {
 public:
  enum class Kind { kInteger, kReal };

  explicit NumberScanner(Kind kind) : kind_(kind) {}

  // True if `c` continues the text taken so far (and takes it).
  bool Accept(char c);
  // True if the text taken so far is a whole number.
  bool Complete() const;

 private:
  enum class State {
    kStart,
    kSign,
    kInteger,    // digits before any point
    kLonePoint,  // a point with no digit before it
    kFraction,   // a point after at least one digit, or digits after it
    kExponent,   // the e or E
    kExponentSign,
    kExponentDigits,
  };

  // Takes the character that led to `next`.
  bool MoveTo(State next) {
    state_ = next;
    return true;
  }

  Kind kind_;
  State state_ = State::kStart;
};

// Converts text that NumberScanner accepted as a complete integer. Fails
// outside the 32-bit signed range, however many digits there are.
std::optional<std::int32_t> ConvertInteger(std::string_view text);

// Converts text that NumberScanner accepted as a complete real number to the
// nearest double. Fails when the result is larger than the largest double,
// or when a non-zero text gives a value below the smallest normal double.
std::optional<double> ConvertReal(std::string_view text);

}  // namespace simeq

#endif  // SIMEQ_DIALOGUE_CONVENTIONS_NUMBER_SYNTAX_H_
