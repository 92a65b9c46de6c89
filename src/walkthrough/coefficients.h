#ifndef SIMEQ_WALKTHROUGH_COEFFICIENTS_H_
#define SIMEQ_WALKTHROUGH_COEFFICIENTS_H_

#include <cfloat>
#include <limits>

namespace simeq {

// The walkthroughs' arithmetic is IEEE double arithmetic with every operation
// rounded to double on its own; 32-bit x86 needs SSE2 arithmetic for that.
static_assert(std::numeric_limits<double>::is_iec559 && FLT_EVAL_METHOD == 0,
              "double operations must not carry excess precision (build with SSE2 math)");

// The system  A x + K y = Y1,  B x + Q y = Y2.  A coefficient whose read
// fails keeps its 0.
struct Coefficients {
  double A = 0.0;
  double K = 0.0;
  double Y1 = 0.0;
  double B = 0.0;
  double Q = 0.0;
  double Y2 = 0.0;
};

}  // namespace simeq

#endif  // SIMEQ_WALKTHROUGH_COEFFICIENTS_H_
