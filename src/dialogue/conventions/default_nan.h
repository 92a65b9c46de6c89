#ifndef SIMEQ_DIALOGUE_CONVENTIONS_DEFAULT_NAN_H_
#define SIMEQ_DIALOGUE_CONVENTIONS_DEFAULT_NAN_H_

#include <cmath>
#include <cstdint>

#include "dialogue/conventions/bit_cast.h"

namespace simeq {

// The default NaN: sign set, quiet, zero payload. The screens write it -1.#IND.
inline constexpr double kDefaultNaN = bit_cast<double>(std::uint64_t{0xFFF8'0000'0000'0000});

// Every NaN the walkthroughs compute is shown as the default NaN, whatever
// NaN the processor made: ARM64, RISC-V and s390x make a positive one for an
// invalid operation, RISC-V also drops the sign of a NaN an operation passes
// on, and a compiler may turn x * -1.0 into a negation, which flips the sign.
// ScreenWriter::Number passes each number through here as it is written; input can
// never give a NaN, so every NaN that arrives was computed. FormatNumber keeps
// its own texts for the other NaNs.
//
// Returns `value`, or kDefaultNaN if `value` is any NaN.
inline double WithDefaultNaN(double value) { return std::isnan(value) ? kDefaultNaN : value; }

}  // namespace simeq

#endif  // SIMEQ_DIALOGUE_CONVENTIONS_DEFAULT_NAN_H_
