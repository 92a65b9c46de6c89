#ifndef SIMEQ_WALKTHROUGH_ELIMINATION_H_
#define SIMEQ_WALKTHROUGH_ELIMINATION_H_

#include "dialogue/conventions/dialogue.h"

namespace simeq {

// Menu choice 2: reads a system and solves it by eliminating x, writing each
// step, then puts x and y back into both equations.
// The page depends on this name (cmake/web_program.cmake names it).
void RunEliminationWalkthrough(Dialogue& dialogue);

}  // namespace simeq

#endif  // SIMEQ_WALKTHROUGH_ELIMINATION_H_
