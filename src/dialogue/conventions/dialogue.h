#ifndef SIMEQ_DIALOGUE_CONVENTIONS_DIALOGUE_H_
#define SIMEQ_DIALOGUE_CONVENTIONS_DIALOGUE_H_

#include "dialogue/conventions/number_reader.h"
#include "dialogue/conventions/screen_writer.h"

namespace simeq {

// The dialogue: the screen writer and the number reader that every screen
// works through.
struct Dialogue {
  ScreenWriter& out;
  NumberReader& in;
};

}  // namespace simeq

#endif  // SIMEQ_DIALOGUE_CONVENTIONS_DIALOGUE_H_
