#ifndef SIMEQ_DIALOGUE_CONVENTIONS_DECIMAL_TO_DOUBLE_H_
#define SIMEQ_DIALOGUE_CONVENTIONS_DECIMAL_TO_DOUBLE_H_

#include <optional>
#include <string_view>

namespace simeq {

// Converts `text`, a real number as NumberScanner accepts it but without a
// leading '+', to the nearest double (ties to even), whatever the locale.
// Gives nothing when the value is too large for a double, or not zero and
// too small for even the smallest denormal. Two versions, chosen in
// src/CMakeLists.txt: std::from_chars where the standard library has it for
// double, else the C library's strtod_l in the "C" locale.
std::optional<double> DecimalToDouble(std::string_view text);

}  // namespace simeq

#endif  // SIMEQ_DIALOGUE_CONVENTIONS_DECIMAL_TO_DOUBLE_H_
