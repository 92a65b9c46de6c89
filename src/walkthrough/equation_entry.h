#ifndef SIMEQ_WALKTHROUGH_EQUATION_ENTRY_H_
#define SIMEQ_WALKTHROUGH_EQUATION_ENTRY_H_

#include "dialogue/conventions/console.h"
#include "walkthrough/coefficients.h"

namespace simeq {

// The elimination method's entry screen: header, six prompts, the echo.
Coefficients EnterEliminationSystem(Console& console);

// The matrix method's entry screen: header, six prompts, separator, echo.
Coefficients EnterMatrixSystem(Console& console);

// Writes  <x>x + <y>y =  <right>  with each number against its letter.
Output& WriteEquation(Output& out, double x, double y, double right);

}  // namespace simeq

#endif  // SIMEQ_WALKTHROUGH_EQUATION_ENTRY_H_
