#include <emscripten.h>

#include "dialogue/platform/key_wait.h"

// Waits for the page's next key press (see standard_streams_web.cc); the
// page discards what was typed before and echoes nothing.
EM_ASYNC_JS(int, simeq_web_wait_for_key, (), { return await Module.simeqWaitForKey(); });

namespace simeq {

int WaitForKey() { return simeq_web_wait_for_key(); }

}  // namespace simeq
