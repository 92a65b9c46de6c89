#ifndef SIMEQ_DIALOGUE_STANDARD_STREAMS_H_
#define SIMEQ_DIALOGUE_STANDARD_STREAMS_H_

#include "dialogue/input.h"
#include "dialogue/output.h"

namespace simeq {

// Sets the process up so that writing can never end it (a closed pipe on
// standard output is ignored rather than fatal).
void PrepareStandardStreams();

// Standard output; a full destination is waited for, and bytes that cannot
// be delivered at all (closed pipe, full disk) are dropped.
ByteSink& StandardOutput();

// Standard input; an error reads as end of input.
ByteSource& StandardInput();

// True if standard output is a console, which is written unbuffered.
bool StandardOutputIsConsole();

}  // namespace simeq

#endif  // SIMEQ_DIALOGUE_STANDARD_STREAMS_H_
