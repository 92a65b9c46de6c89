#include "dialogue/console.h"
#include "dialogue/key_wait.h"
#include "dialogue/program.h"
#include "dialogue/standard_streams.h"

int main() {
  simeq::PrepareStandardStreams();
  simeq::Output out(simeq::StandardOutput(), simeq::StandardOutputIsConsole());
  simeq::Input in(simeq::StandardInput(), out);
  simeq::Console console{out, in};
  simeq::RunProgram(console, simeq::WaitForKey);
  out.Flush();
  return 0;
}
