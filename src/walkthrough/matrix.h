#ifndef SIMEQ_WALKTHROUGH_MATRIX_H_
#define SIMEQ_WALKTHROUGH_MATRIX_H_

#include "dialogue/conventions/dialogue.h"

namespace simeq {

// Menu choice 1: reads a system and solves it by determinants, writing each
// step, then puts x and y back into both equations.
// The page depends on this name (cmake/web_program.cmake names it).
void RunMatrixWalkthrough(Dialogue& dialogue);

}  // namespace simeq

#endif  // SIMEQ_WALKTHROUGH_MATRIX_H_
