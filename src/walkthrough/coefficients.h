#ifndef SIMEQ_WALKTHROUGH_COEFFICIENTS_H_
#define SIMEQ_WALKTHROUGH_COEFFICIENTS_H_

namespace simeq {

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
