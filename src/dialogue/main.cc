#include "dialogue/conventions/console.h"
#include "dialogue/platform/key_wait.h"
#include "dialogue/platform/standard_streams.h"
#include "dialogue/program.h"

int main() {
  simeq::PrepareStandardStreams();
  simeq::Output out(simeq::StandardOutput(), simeq::StandardOutputIsConsole());
  simeq::Input in(simeq::StandardInput(), out);
  simeq::Console console{out, in};
  simeq::RunProgram(console, simeq::WaitForKey);
  out.Flush();
  return 0;
}
