#ifndef SIMEQ_WALKTHROUGH_EQUATION_ENTRY_H_
#define SIMEQ_WALKTHROUGH_EQUATION_ENTRY_H_

#include "dialogue/conventions/dialogue.h"
#include "walkthrough/coefficients.h"

namespace simeq {

// The elimination method's entry screen: header, six prompts, the echo.
// The page depends on this name (cmake/web_program.cmake names it).
Coefficients EnterEliminationSystem(Dialogue& dialogue);

// The matrix method's entry screen: header, six prompts, separator, echo.
// The page depends on this name (cmake/web_program.cmake names it).
Coefficients EnterMatrixSystem(Dialogue& dialogue);

// Writes  <x>x + <y>y =  <right>  with each number against its letter.
ScreenWriter& WriteEquation(ScreenWriter& out, double x, double y, double right);

}  // namespace simeq

#endif  // SIMEQ_WALKTHROUGH_EQUATION_ENTRY_H_
