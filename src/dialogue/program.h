#ifndef SIMEQ_DIALOGUE_PROGRAM_H_
#define SIMEQ_DIALOGUE_PROGRAM_H_

#include "dialogue/conventions/dialogue.h"

namespace simeq {

// The whole run: banner, menu, at most one walkthrough, closing prompt, and
// then `wait_for_key` once.
// The page depends on this name (cmake/web_program.cmake names it).
void RunProgram(Dialogue& dialogue, int (*wait_for_key)());

}  // namespace simeq

#endif  // SIMEQ_DIALOGUE_PROGRAM_H_
