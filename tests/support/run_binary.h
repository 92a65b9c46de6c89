#ifndef SIMEQ_TESTS_SUPPORT_RUN_BINARY_H_
#define SIMEQ_TESTS_SUPPORT_RUN_BINARY_H_

#include <string>

namespace simeq::testing {

// What a run of the program left behind.
struct RunResult {
  std::string out;  // everything written to standard output
  std::string err;  // everything written to standard error
  int status = -1;  // exit status, or 128 + signal number
};

// Runs `binary` in a new session with no controlling terminal, so its
// closing key wait returns at once, with `input` as standard input (fed
// through a file, so any size works). A run still going after
// `timeout_seconds` is ended by SIGALRM, which `status` then reports.
RunResult RunWithoutTerminal(const std::string& binary, const std::string& input,
                             int timeout_seconds = 30);

// Reads a whole file; fails the calling test if it cannot.
std::string ReadFile(const std::string& path);

}  // namespace simeq::testing

#endif  // SIMEQ_TESTS_SUPPORT_RUN_BINARY_H_
