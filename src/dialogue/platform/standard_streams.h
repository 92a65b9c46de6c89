#ifndef SIMEQ_DIALOGUE_PLATFORM_STANDARD_STREAMS_H_
#define SIMEQ_DIALOGUE_PLATFORM_STANDARD_STREAMS_H_

#include "dialogue/conventions/number_reader.h"
#include "dialogue/conventions/screen_writer.h"

namespace simeq {

// Sets the standard streams up before anything is read or written. On POSIX
// systems a closed pipe on standard output is ignored rather than fatal, so
// writing can never end the process; on Windows both streams are put in text
// mode, so a newline is written as CR LF and CR LF is read as a newline.
void PrepareStandardStreams();

// Standard output; a full destination is waited for, and bytes that cannot
// be delivered at all (closed pipe, full disk) are dropped.
ByteSink& StandardOutput();

// Standard input; an error reads as end of input.
ByteSource& StandardInput();

// True if standard output is a console, which is written unbuffered.
bool StandardOutputIsConsole();

}  // namespace simeq

#endif  // SIMEQ_DIALOGUE_PLATFORM_STANDARD_STREAMS_H_
