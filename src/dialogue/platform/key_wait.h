#ifndef SIMEQ_DIALOGUE_PLATFORM_KEY_WAIT_H_
#define SIMEQ_DIALOGUE_PLATFORM_KEY_WAIT_H_

namespace simeq {

// Waits for one key press on the console itself, never standard input, with
// no echo and no Enter needed; input typed before the wait does not count,
// and what arrives with the key (the rest of a paste) is discarded. Returns
// the key's first code, or -1 at once when there is no console.
int WaitForKey();

}  // namespace simeq

#endif  // SIMEQ_DIALOGUE_PLATFORM_KEY_WAIT_H_
