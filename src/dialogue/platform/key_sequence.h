#ifndef SIMEQ_DIALOGUE_PLATFORM_KEY_SEQUENCE_H_
#define SIMEQ_DIALOGUE_PLATFORM_KEY_SEQUENCE_H_

namespace simeq {

// Follows the bytes a single key press sends on a terminal, so that the key
// wait can take all of them and leave none behind for the shell. Cursor and
// function keys send ESC [ ... final or ESC O final; characters outside
// ASCII send a UTF-8 lead byte and its continuation bytes.
class KeySequence {
 public:
  // Starts with the first byte of the key press.
  explicit KeySequence(unsigned char first);

  // True when no further byte belongs to this key press.
  bool Complete() const { return state_ == State::kComplete; }
  // Takes the next byte of the key press; call only while not Complete().
  void Feed(unsigned char byte);

 private:
  enum class State {
    kComplete,
    kEscape,        // ESC seen; [ or O starts a control sequence
    kControlStart,  // ESC [ seen; a second [ is the console's F1 to F5
    kControl,       // inside a control sequence, waiting for its final byte
    kUtf8,          // continuation bytes still to come
  };

  State state_ = State::kComplete;
  int continuation_left_ = 0;
};

}  // namespace simeq

#endif  // SIMEQ_DIALOGUE_PLATFORM_KEY_SEQUENCE_H_
