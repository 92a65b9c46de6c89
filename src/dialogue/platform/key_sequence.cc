#include "dialogue/platform/key_sequence.h"

namespace simeq {
namespace {

constexpr unsigned char kEscape = 0x1b;

// A control sequence ends with a byte from @ to ~.
bool IsFinalByte(unsigned char byte) { return byte >= 0x40 && byte <= 0x7e; }

// Continuation bytes that follow a UTF-8 lead byte, or 0 if it is none.
int ContinuationBytes(unsigned char lead) {
  if (lead >= 0xc2 && lead <= 0xdf) return 1;
  if (lead >= 0xe0 && lead <= 0xef) return 2;
  if (lead >= 0xf0 && lead <= 0xf4) return 3;
  return 0;
}

}  // namespace

KeySequence::KeySequence(unsigned char first) {
  if (first == kEscape) {
    state_ = State::kEscape;
  } else if ((continuation_left_ = ContinuationBytes(first)) > 0) {
    state_ = State::kUtf8;
  }
}

void KeySequence::Feed(unsigned char byte) {
  switch (state_) {
    case State::kComplete:
      break;
    case State::kEscape:
      // ESC [ and ESC O open a sequence; ESC with anything else is Alt+key.
      state_ = byte == '['   ? State::kControlStart
               : byte == 'O' ? State::kControl
                             : State::kComplete;
      break;
    case State::kControlStart:
      if (byte == '[') {
        state_ = State::kControl;
        break;
      }
      [[fallthrough]];
    case State::kControl:
      state_ = IsFinalByte(byte) ? State::kComplete : State::kControl;
      break;
    case State::kUtf8:
      // A byte that is no continuation byte ends the character early.
      if ((byte & 0xc0) != 0x80 || --continuation_left_ == 0) {
        state_ = State::kComplete;
      }
      break;
  }
}

}  // namespace simeq
