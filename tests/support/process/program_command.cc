#include "support/process/program_command.h"

#include <unistd.h>

namespace simeq::testing {

ProgramCommand::ProgramCommand(const std::string& binary) : words_(EmulatorCommand()) {
  words_.push_back(binary);
  for (std::string& word : words_) argv_.push_back(word.data());
  argv_.push_back(nullptr);
}

void ProgramCommand::Exec() const { ::execv(argv_[0], argv_.data()); }

}  // namespace simeq::testing
