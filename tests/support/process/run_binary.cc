#include "support/process/run_binary.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>

#include "support/process/program_command.h"

namespace simeq::testing {
namespace {

int OpenTemporaryFile() {
  char name[] = "/tmp/simeq-test-XXXXXX";
  const int fd = ::mkostemp(name, O_CLOEXEC);  // the program sees only 0, 1 and 2
  if (fd < 0) throw std::runtime_error("mkstemp failed");
  ::unlink(name);
  return fd;
}

void WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw std::runtime_error("write to temporary file failed");
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

// The whole of an unlinked temporary file, opened afresh through its
// descriptor's name so that reading starts at the beginning.
std::string ReadFromStart(int fd) { return ReadFile("/proc/self/fd/" + std::to_string(fd)); }

// A pipe as another program may hand it over: its write end non-blocking,
// its capacity one page, and that page already full. `filled` receives the
// number of bytes put in.
void MakeFullNonBlockingPipe(int ends[2], std::size_t& filled) {
  if (::pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
  if (::fcntl(ends[1], F_SETPIPE_SZ, 4096) < 0) throw std::runtime_error("F_SETPIPE_SZ failed");
  ::fcntl(ends[1], F_SETFL, ::fcntl(ends[1], F_GETFL) | O_NONBLOCK);
  const std::string page(4096, '#');
  filled = 0;
  for (;;) {
    const ssize_t n = ::write(ends[1], page.data(), page.size());
    if (n > 0) {
      filled += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      break;  // EAGAIN: full
    }
  }
}

// Reads a descriptor to its end.
std::string ReadToEnd(int fd) {
  std::string all;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      all.append(buffer, static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return all;
    }
  }
}

// In the child: makes descriptor 1 what `output` asks for. Returns false if
// that could not be done. `file` is the temporary file for kFile, the pipe's
// write end for kFullNonBlockingPipe.
bool ArrangeStandardOutput(StandardOutputKind output, int file) {
  switch (output) {
    case StandardOutputKind::kFile:
    case StandardOutputKind::kFullNonBlockingPipe:
      return ::dup2(file, STDOUT_FILENO) == STDOUT_FILENO;
    case StandardOutputKind::kClosedPipe: {
      int ends[2];
      if (::pipe2(ends, O_CLOEXEC) != 0) return false;
      ::close(ends[0]);  // nobody will ever read: writes fail with EPIPE
      return ::dup2(ends[1], STDOUT_FILENO) == STDOUT_FILENO;
    }
    case StandardOutputKind::kFullDevice: {
      const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
      return full >= 0 && ::dup2(full, STDOUT_FILENO) == STDOUT_FILENO;
    }
    case StandardOutputKind::kClosed:
      ::close(STDOUT_FILENO);
      return true;
  }
  return false;
}

}  // namespace

InputFile::InputFile() : fd_(OpenTemporaryFile()) {}

InputFile::~InputFile() { ::close(fd_); }

InputFile& InputFile::Append(std::string_view bytes) {
  WriteAll(fd_, bytes.data(), bytes.size());
  return *this;
}

InputFile& InputFile::Repeat(char byte, std::size_t count) {
  const std::string block(std::min<std::size_t>(count, 1 << 20), byte);
  while (count > 0) {
    const std::size_t take = std::min(count, block.size());
    WriteAll(fd_, block.data(), take);
    count -= take;
  }
  return *this;
}

MeasuredRun RunInSurroundings(const std::string& binary, const InputFile& input,
                              StandardOutputKind output, int timeout_seconds) {
  const int out = OpenTemporaryFile();
  const int err = OpenTemporaryFile();
  const bool full_pipe = output == StandardOutputKind::kFullNonBlockingPipe;
  int pipe_ends[2] = {-1, -1};
  std::size_t filled = 0;
  if (full_pipe) MakeFullNonBlockingPipe(pipe_ends, filled);
  ::lseek(input.fd(), 0, SEEK_SET);
  const ProgramCommand command(binary);
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    ::setsid();  // no controlling terminal: the key wait returns at once
    if (::dup2(input.fd(), STDIN_FILENO) != STDIN_FILENO ||
        ::dup2(err, STDERR_FILENO) != STDERR_FILENO ||
        !ArrangeStandardOutput(output, full_pipe ? pipe_ends[1] : out)) {
      ::_exit(126);
    }
    ::alarm(static_cast<unsigned>(timeout_seconds));  // survives exec: SIGALRM
    command.Exec();
    ::_exit(127);
  }
  std::string drained;
  if (full_pipe) {
    ::close(pipe_ends[1]);
    std::this_thread::sleep_for(kFullPipeReaderPause);
    drained = ReadToEnd(pipe_ends[0]);  // ends when the program has gone
    ::close(pipe_ends[0]);
    if (drained.size() < filled || drained.find_first_not_of('#') < filled) {
      throw std::runtime_error("the pipe lost the test's own filling");
    }
    drained.erase(0, filled);
  }
  int wait_status = 0;
  rusage usage{};
  while (::wait4(child, &wait_status, 0, &usage) < 0 && errno == EINTR) {
  }
  MeasuredRun measured;
  measured.run.out = full_pipe ? drained : ReadFromStart(out);
  measured.run.err = ReadFromStart(err);
  measured.run.status =
      WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
  measured.peak_memory_kib = usage.ru_maxrss;
  for (const timeval& spent : {usage.ru_utime, usage.ru_stime}) {
    measured.processor_time +=
        std::chrono::seconds(spent.tv_sec) + std::chrono::microseconds(spent.tv_usec);
  }
  ::close(out);
  ::close(err);
  return measured;
}

RunResult RunWithoutTerminal(const std::string& binary, const std::string& input,
                             int timeout_seconds) {
  InputFile file;
  file.Append(input);
  return RunInSurroundings(binary, file, StandardOutputKind::kFile, timeout_seconds).run;
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " + path);
  std::ostringstream data;
  data << file.rdbuf();
  return data.str();
}

}  // namespace simeq::testing
