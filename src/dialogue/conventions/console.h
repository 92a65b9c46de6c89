#ifndef SIMEQ_DIALOGUE_CONVENTIONS_CONSOLE_H_
#define SIMEQ_DIALOGUE_CONVENTIONS_CONSOLE_H_

#include "dialogue/conventions/input.h"
#include "dialogue/conventions/output.h"

namespace simeq {

// The screen writer and the number reader that every screen works through.
struct Console {
  Output& out;
  Input& in;
};

}  // namespace simeq

#endif  // SIMEQ_DIALOGUE_CONVENTIONS_CONSOLE_H_
