#ifndef SIMEQ_TESTS_SUPPORT_PROCESS_RUN_BINARY_H_
#define SIMEQ_TESTS_SUPPORT_PROCESS_RUN_BINARY_H_

#include <chrono>
#include <string>
#include <string_view>

namespace simeq::testing {

// What a run of the program left behind.
struct RunResult {
  std::string out;  // everything written to standard output
  std::string err;  // everything written to standard error
  int status = -1;  // exit status, or 128 + signal number
};

// Where the program's standard output goes.
enum class StandardOutputKind {
  kFile,        // a temporary file, read back into RunResult::out
  kClosedPipe,  // a pipe whose read end was closed before the program started
  kFullDevice,  // /dev/full, where every write fails for lack of space
  kClosed,      // descriptor 1 is not open at all
  // A non-blocking pipe shrunk to one page and full when the program starts;
  // the test drains it after kFullPipeReaderPause and keeps what follows its
  // own filling in RunResult::out.
  kFullNonBlockingPipe,
};

// How long the reader of a full pipe lets the program meet it before draining.
inline constexpr std::chrono::milliseconds kFullPipeReaderPause{500};

// Standard input for a run, kept in an unlinked temporary file and built
// piece by piece, so that even a very large input never sits in memory.
class InputFile {
 public:
  InputFile();
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Adds `bytes` at the end.
  InputFile& Append(std::string_view bytes);
  // Adds `count` copies of `byte`, a mebibyte at a time.
  InputFile& Repeat(char byte, std::size_t count);
  // The open descriptor.
  int fd() const { return fd_; }

 private:
  int fd_;
};

// A run with the peak memory the program used.
struct MeasuredRun {
  RunResult run;             // out is empty unless standard output was a file or pipe
  long peak_memory_kib = 0;  // the child's largest resident set size
  std::chrono::microseconds processor_time{0};  // the child's, user and system
};

// Runs `binary` in a new session with no controlling terminal, `input` as
// standard input from its start and standard output as `output` says; the
// run is ended by SIGALRM after `timeout_seconds`. The caller keeps its own
// memory small: the child starts as a copy of it, and the peak counts that.
MeasuredRun RunInSurroundings(const std::string& binary, const InputFile& input,
                              StandardOutputKind output, int timeout_seconds = 30);

// RunInSurroundings with `input` as standard input and standard output to a
// file, read back into `out`.
RunResult RunWithoutTerminal(const std::string& binary, const std::string& input,
                             int timeout_seconds = 30);

// Reads a whole file; throws std::runtime_error if it cannot.
std::string ReadFile(const std::string& path);

}  // namespace simeq::testing

#endif  // SIMEQ_TESTS_SUPPORT_PROCESS_RUN_BINARY_H_
