#ifndef SIMEQ_TESTS_SUPPORT_PROCESS_PROGRAM_COMMAND_H_
#define SIMEQ_TESTS_SUPPORT_PROCESS_PROGRAM_COMMAND_H_

#include <string>
#include <vector>

namespace simeq::testing {

// The emulator and its arguments that run this build's programs (those of
// CMAKE_CROSSCOMPILING_EMULATOR), empty when they run directly.
const std::vector<std::string>& EmulatorCommand();

// The command line that starts a program of this build with no arguments,
// through the emulator if there is one. Built before fork, so that the child
// has nothing left to do but exec.
class ProgramCommand {
 public:
  explicit ProgramCommand(const std::string& binary);
  ProgramCommand(const ProgramCommand&) = delete;
  ProgramCommand& operator=(const ProgramCommand&) = delete;

  // Replaces the calling process with the program; returns only on failure.
  // Safe between fork and exec.
  void Exec() const;

 private:
  std::vector<std::string> words_;
  std::vector<char*> argv_;
};

}  // namespace simeq::testing

#endif  // SIMEQ_TESTS_SUPPORT_PROCESS_PROGRAM_COMMAND_H_
