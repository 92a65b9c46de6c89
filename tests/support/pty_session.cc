#include "support/pty_session.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

#include "support/program_command.h"

namespace simeq::testing {
namespace {

using Clock = std::chrono::steady_clock;

// How long one look at the terminal waits for something to happen.
constexpr std::chrono::milliseconds kPollStep{10};

// A last resort should the test process vanish without killing the program:
// SIGALRM survives exec and ends it.
constexpr unsigned kAlarmSeconds = 120;

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error(what + " failed: " + std::to_string(errno));
}

void WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Fail("write");
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

// Sets NAME=value entries in this process's environment while it lives, so
// that a program started meanwhile inherits them; then puts back what was
// there before.
class ScopedEnvironment {
 public:
  explicit ScopedEnvironment(const std::vector<std::string>& entries) {
    for (const std::string& entry : entries) {
      const std::size_t equals = entry.find('=');
      const std::string name = entry.substr(0, equals);
      const char* old = ::getenv(name.c_str());
      saved_.push_back({name, old != nullptr, old != nullptr ? old : ""});
      ::setenv(name.c_str(), entry.c_str() + equals + 1, 1);
    }
  }
  ~ScopedEnvironment() {
    for (auto entry = saved_.rbegin(); entry != saved_.rend(); ++entry) {
      if (entry->existed) {
        ::setenv(entry->name.c_str(), entry->value.c_str(), 1);
      } else {
        ::unsetenv(entry->name.c_str());
      }
    }
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  struct Saved {
    std::string name;
    bool existed;
    std::string value;
  };
  std::vector<Saved> saved_;
};

// In the child between fork and exec: only async-signal-safe calls. An
// `input` or `output` of -1 means descriptor 0 closed or 1 the terminal.
[[noreturn]] void ExecInSession(const ProgramCommand& command, int terminal, int input, int output,
                                const std::vector<int>& ignored_signals) {
  ::setsid();
  if (::ioctl(terminal, TIOCSCTTY, 0) != 0) ::_exit(126);
  if (input >= 0) {
    ::dup2(input, STDIN_FILENO);
  } else {
    ::close(STDIN_FILENO);
  }
  ::dup2(output >= 0 ? output : terminal, STDOUT_FILENO);
  ::dup2(terminal, STDERR_FILENO);
  // The program starts as it would from a shell: default signal handling
  // unless it asks otherwise, nothing blocked, and no core file left behind
  // by a signal test.
  for (const int signal_number : {SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGPIPE}) {
    ::signal(signal_number, SIG_DFL);
  }
  for (const int signal_number : ignored_signals) ::signal(signal_number, SIG_IGN);
  sigset_t none;
  ::sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  const rlimit no_core{0, 0};
  ::setrlimit(RLIMIT_CORE, &no_core);
  ::alarm(kAlarmSeconds);
  command.Exec();
  ::_exit(127);
}

}  // namespace

PtySession::PtySession() {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0) Fail("posix_openpt");
  if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) Fail("unlockpt");
  char name[128];
  if (::ptsname_r(master_, name, sizeof name) != 0) Fail("ptsname_r");
  slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave_ < 0) Fail("open pseudo-terminal");
  // Reads of the master never block: a read flushes the kernel's pending
  // output first, so reading until EAGAIN takes everything written so far.
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PtySession::~PtySession() {
  if (child_ > 0 && !Ended()) {
    ::kill(child_, SIGKILL);
    int ignored = 0;
    while (::waitpid(child_, &ignored, 0) < 0 && errno == EINTR) {
    }
  }
  for (const int fd : {input_pipe_, output_socket_, slave_, master_}) {
    if (fd >= 0) ::close(fd);
  }
}

void PtySession::Start(const std::string& binary, StandardInputFrom input,
                       const StartOptions& options) {
  if (child_ > 0) throw std::logic_error("PtySession started twice");
  int pipe_ends[2] = {-1, -1};
  if (input == StandardInputFrom::kPipe && ::pipe2(pipe_ends, O_CLOEXEC) != 0) Fail("pipe2");
  int socket_ends[2] = {-1, -1};
  if (options.output == StandardOutputTo::kPacketSocket &&
      ::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, socket_ends) != 0) {
    Fail("socketpair");
  }
  const ProgramCommand command(binary);
  const ScopedEnvironment environment(options.environment);
  child_ = ::fork();
  if (child_ < 0) Fail("fork");
  if (child_ == 0) {
    const int stdin_from = input == StandardInputFrom::kPipe       ? pipe_ends[0]
                           : input == StandardInputFrom::kTerminal ? slave_
                                                                   : -1;
    ExecInSession(command, slave_, stdin_from, socket_ends[1], options.ignored_signals);
  }
  if (input == StandardInputFrom::kPipe) {
    ::close(pipe_ends[0]);
    input_pipe_ = pipe_ends[1];
  }
  if (options.output == StandardOutputTo::kPacketSocket) {
    ::close(socket_ends[1]);
    output_socket_ = socket_ends[0];
    ::fcntl(output_socket_, F_SETFL, ::fcntl(output_socket_, F_GETFL) | O_NONBLOCK);
  }
}

void PtySession::WriteStandardInput(std::string_view bytes) {
  if (input_pipe_ < 0) throw std::logic_error("standard input is not an open pipe");
  WriteAll(input_pipe_, bytes);
}

void PtySession::CloseStandardInput() {
  if (input_pipe_ >= 0) ::close(input_pipe_);
  input_pipe_ = -1;
}

void PtySession::Type(std::string_view bytes) { WriteAll(master_, bytes); }

std::size_t PtySession::WaitForOutput(std::string_view text, std::size_t from) {
  return WaitFor(output_, text, from);
}

std::size_t PtySession::WaitForSocketOutput(std::string_view text, std::size_t from) {
  return WaitFor(socket_output_, text, from);
}

std::size_t PtySession::WaitFor(const std::string& seen, std::string_view text, std::size_t from) {
  const auto deadline = Clock::now() + kDeadline;
  for (bool last_look = false;;) {
    const std::size_t found = seen.find(text, std::min(from, seen.size()));
    if (found != std::string::npos) return found + text.size();
    if (last_look || Clock::now() > deadline) return std::string::npos;
    last_look = Ended();  // once it has ended, one more look at what it wrote
    Collect(kPollStep);
  }
}

bool PtySession::WaitForSingleKeyMode() {
  const auto deadline = Clock::now() + kDeadline;
  while ((Mode().c_lflag & ICANON) != 0) {
    if (Ended() || Clock::now() > deadline) return false;
    Collect(kPollStep);
  }
  return true;
}

bool PtySession::StillRunningAfter(std::chrono::milliseconds duration) {
  const auto end = Clock::now() + duration;
  while (Clock::now() < end && !Ended()) Collect(kPollStep);
  return !Ended();
}

void PtySession::Signal(int signal_number) {
  if (child_ > 0 && !Ended()) ::kill(child_, signal_number);
}

bool PtySession::WaitForStop() {
  const auto deadline = Clock::now() + kDeadline;
  while (!Ended()) {
    int wait_status = 0;
    if (::waitpid(child_, &wait_status, WNOHANG | WUNTRACED) == child_) {
      if (WIFSTOPPED(wait_status)) return true;
      RecordEnd(wait_status);
      return false;
    }
    if (Clock::now() > deadline) return false;
    Collect(kPollStep);
  }
  return false;
}

PtyExit PtySession::WaitForExit() {
  if (child_ <= 0) throw std::logic_error("PtySession not started");
  const auto deadline = Clock::now() + kDeadline;
  while (!Ended()) {
    if (Clock::now() > deadline) {
      ::kill(child_, SIGKILL);
      while (!Ended()) Collect(kPollStep);
      exit_.timed_out = true;
      break;
    }
    Collect(kPollStep);
  }
  Collect(kPollStep);  // what the program wrote just before it ended
  return exit_;
}

termios PtySession::Mode() const {
  termios mode{};
  if (::tcgetattr(slave_, &mode) != 0) Fail("tcgetattr");
  return mode;
}

void PtySession::SetMode(const termios& mode) {
  if (::tcsetattr(slave_, TCSANOW, &mode) != 0) Fail("tcsetattr");
}

std::string PtySession::TakeUnreadInput() {
  // In line mode an unfinished line cannot be read, so look in single-key
  // mode with no waiting, then put the mode back.
  const termios saved = Mode();
  termios peek = saved;
  peek.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  peek.c_cc[VMIN] = 0;
  peek.c_cc[VTIME] = 0;
  SetMode(peek);
  std::string unread;
  char buffer[256];
  ssize_t n;
  while ((n = ::read(slave_, buffer, sizeof buffer)) > 0) {
    unread.append(buffer, static_cast<std::size_t>(n));
  }
  SetMode(saved);
  return unread;
}

void PtySession::Collect(std::chrono::milliseconds wait) {
  pollfd ready[2] = {{master_, POLLIN, 0}, {output_socket_, POLLIN, 0}};
  ::poll(ready, output_socket_ >= 0 ? 2 : 1, static_cast<int>(wait.count()));
  char packet[65536];
  for (;;) {
    const ssize_t n = output_socket_ >= 0 ? ::recv(output_socket_, packet, sizeof packet, 0) : -1;
    if (n <= 0) break;
    packets_.emplace_back(packet, static_cast<std::size_t>(n));
    socket_output_.append(packets_.back());
  }
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n > 0) {
      output_.append(buffer, static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return;  // EAGAIN: nothing more for now
    }
  }
}

bool PtySession::Ended() {
  if (child_ <= 0) return false;
  if (ended_) return true;
  int wait_status = 0;
  if (::waitpid(child_, &wait_status, WNOHANG) != child_) return false;
  RecordEnd(wait_status);
  return true;
}

void PtySession::RecordEnd(int wait_status) {
  ended_ = true;
  exit_.exited = WIFEXITED(wait_status);
  exit_.status = exit_.exited ? WEXITSTATUS(wait_status) : WTERMSIG(wait_status);
}

}  // namespace simeq::testing
