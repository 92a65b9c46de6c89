#include "dialogue/conventions/dialogue.h"
#include "dialogue/platform/key_wait.h"
#include "dialogue/platform/standard_streams.h"
#include "dialogue/program.h"

// The page depends on this name (cmake/web_program.cmake names it).
int main() {
  simeq::PrepareStandardStreams();
  simeq::ScreenWriter out(simeq::StandardOutput(), simeq::StandardOutputIsConsole());
  simeq::NumberReader in(simeq::StandardInput(), out);
  simeq::Dialogue dialogue{out, in};
  simeq::RunProgram(dialogue, simeq::WaitForKey);
  out.Flush();
  return 0;
}
