#ifndef SIMEQ_DIALOGUE_CONVENTIONS_NUMBER_FORMAT_H_
#define SIMEQ_DIALOGUE_CONVENTIONS_NUMBER_FORMAT_H_

#include <cstddef>
#include <string>

namespace simeq {

// Longest text FormatNumber can produce ("-1.23457e-308" and the like).
inline constexpr std::size_t kMaxNumberText = 16;

// Writes `value` as the screens show every number: six significant digits in
// general notation, a three-digit signed exponent, 0 for either zero and
// 1.#INF / -1.#IND style text for the special values. Returns the length
// written to `out`, which must hold kMaxNumberText characters.
std::size_t FormatNumber(double value, char* out);

// Convenience form of FormatNumber for tests and tools.
std::string FormatNumber(double value);

}  // namespace simeq

#endif  // SIMEQ_DIALOGUE_CONVENTIONS_NUMBER_FORMAT_H_
