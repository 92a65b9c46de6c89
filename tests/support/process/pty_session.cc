#include "support/process/pty_session.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "support/process/program_command.h"

namespace simeq::testing {
namespace {

using Clock = std::chrono::steady_clock;

// How long one look at the terminal waits for something to happen.
constexpr std::chrono::milliseconds kPollStep{10};

// How long a look that must not miss a short moment waits between looks.
constexpr std::chrono::milliseconds kShortLook{1};

// More than the test process has open: the stand-in shell closes them all.
constexpr int kMostDescriptors = 1024;

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

// Where the program's standard streams come from, and what it ignores.
struct ChildSetup {
  int terminal;  // the terminal's slave side
  int input;     // standard input, or -1 for descriptor 0 closed
  int output;    // standard output, or -1 for the terminal
  const std::vector<int>& ignored_signals;
};

// Makes this process the leader of a new session with `terminal` as its
// controlling terminal, in the terminal's foreground process group.
void LeadSessionOn(int terminal) {
  ::setsid();
  if (::ioctl(terminal, TIOCSCTTY, 0) != 0) ::_exit(126);
}

// In the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void ExecProgram(const ProgramCommand& command, const ChildSetup& setup) {
  if (setup.input >= 0) {
    ::dup2(setup.input, STDIN_FILENO);
  } else {
    ::close(STDIN_FILENO);
  }
  ::dup2(setup.output >= 0 ? setup.output : setup.terminal, STDOUT_FILENO);
  ::dup2(setup.terminal, STDERR_FILENO);
  // The program starts as it would from a shell: default signal handling
  // unless it asks otherwise, nothing blocked, and no core file left behind
  // by a signal test.
  for (const int signal_number : {SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGPIPE}) {
    ::signal(signal_number, SIG_DFL);
  }
  for (const int signal_number : setup.ignored_signals) ::signal(signal_number, SIG_IGN);
  sigset_t none;
  ::sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  const rlimit no_core{0, 0};
  ::setrlimit(RLIMIT_CORE, &no_core);
  ::alarm(kAlarmSeconds);
  command.Exec();
  ::_exit(127);
}

// In the child: what a job-control shell does for `simeq &`. It leads the
// session and keeps the terminal's foreground, starts the program in a
// process group of its own and writes its process ID to `report`; on
// SIGUSR1 it gives the program the terminal and continues it (`fg`), on
// SIGUSR2 it takes the terminal back. It ends as the program ends: with its
// exit status, or by its signal. If `orphaned`, as for `(simeq &)`, a child
// of its own starts the program in that group, reports it and ends; this
// process then never learns of the program's end and waits to be killed.
[[noreturn]] void RunShellStandIn(const ProgramCommand& command, const ChildSetup& setup,
                                  int report, bool orphaned) {
  LeadSessionOn(setup.terminal);
  sigset_t watched;
  ::sigemptyset(&watched);
  ::sigaddset(&watched, SIGCHLD);
  ::sigaddset(&watched, SIGUSR1);
  ::sigaddset(&watched, SIGUSR2);
  ::sigprocmask(SIG_BLOCK, &watched, nullptr);
  // The program, or the child that starts it; either way the process group.
  const pid_t program = ::fork();
  if (program < 0) ::_exit(126);
  if (program == 0) {
    ::setpgid(0, 0);
    if (orphaned) {
      const pid_t grandchild = ::fork();
      if (grandchild == 0) ExecProgram(command, setup);
      const bool reported =
          grandchild > 0 && ::write(report, &grandchild, sizeof grandchild) == sizeof grandchild;
      ::_exit(reported ? 0 : 126);
    }
    ExecProgram(command, setup);
  }
  ::setpgid(program, program);  // both sides, so that it is done before either goes on
  // It keeps the terminal and nothing else of the test's: a pipe or terminal
  // end held here would keep the program from seeing end of input or a
  // hang-up.
  for (int fd = STDERR_FILENO + 1; fd < kMostDescriptors; ++fd) {
    if (fd != setup.terminal && fd != report) ::close(fd);
  }
  ::signal(SIGTTOU, SIG_IGN);  // it may give the terminal away from the background
  const rlimit no_core{0, 0};
  ::setrlimit(RLIMIT_CORE, &no_core);
  if (!orphaned && ::write(report, &program, sizeof program) != sizeof program) ::_exit(126);
  ::close(report);
  ::alarm(kAlarmSeconds);
  for (;;) {
    int signal_number = 0;
    if (::sigwait(&watched, &signal_number) != 0) continue;
    if (signal_number == SIGUSR1) {
      ::tcsetpgrp(setup.terminal, program);
      ::kill(-program, SIGCONT);
      continue;
    }
    if (signal_number == SIGUSR2) {
      ::tcsetpgrp(setup.terminal, ::getpgrp());
      continue;
    }
    int wait_status = 0;
    if (::waitpid(program, &wait_status, WNOHANG) != program) continue;  // stopped, not ended
    if (orphaned) continue;  // the program's starter, not the program
    if (WIFEXITED(wait_status)) ::_exit(WEXITSTATUS(wait_status));
    const int ending = WTERMSIG(wait_status);
    ::signal(ending, SIG_DFL);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::raise(ending);
    ::_exit(126);
  }
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
    if (program_ != child_) ::kill(program_, SIGKILL);
    ::kill(child_, SIGKILL);
    int ignored = 0;
    if (adopted_) {
      while (::waitpid(program_, &ignored, 0) < 0 && errno == EINTR) {
      }
    }
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
  if (options.orphaned && !options.background) {
    throw std::logic_error("only a program started in the background can be orphaned");
  }
  int pipe_ends[2] = {-1, -1};
  if (input == StandardInputFrom::kPipe && ::pipe2(pipe_ends, O_CLOEXEC) != 0) Fail("pipe2");
  int socket_ends[2] = {-1, -1};
  if (options.output == StandardOutputTo::kPacketSocket &&
      ::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, socket_ends) != 0) {
    Fail("socketpair");
  }
  int report_ends[2] = {-1, -1};
  if (options.background && ::pipe2(report_ends, O_CLOEXEC) != 0) Fail("pipe2");
  const ProgramCommand command(binary);
  const ScopedEnvironment environment(options.environment);
  // The program's starter ends at once, and the program comes to this
  // process rather than to init.
  if (options.orphaned && ::prctl(PR_SET_CHILD_SUBREAPER, 1) != 0) Fail("PR_SET_CHILD_SUBREAPER");
  child_ = ::fork();
  if (child_ < 0) Fail("fork");
  if (child_ == 0) {
    const int stdin_from = input == StandardInputFrom::kPipe       ? pipe_ends[0]
                           : input == StandardInputFrom::kTerminal ? slave_
                                                                   : -1;
    const ChildSetup setup{slave_, stdin_from, socket_ends[1], options.ignored_signals};
    if (options.background) RunShellStandIn(command, setup, report_ends[1], options.orphaned);
    LeadSessionOn(slave_);
    ExecProgram(command, setup);
  }
  program_ = child_;
  if (options.background) {
    ::close(report_ends[1]);
    pid_t program = -1;
    ssize_t got;
    while ((got = ::read(report_ends[0], &program, sizeof program)) < 0 && errno == EINTR) {
    }
    ::close(report_ends[0]);
    if (got != sizeof program) Fail("starting the program in the background");
    program_ = program;
  }
  if (options.orphaned) {
    // The program waits for its standard input or its terminal, so it is
    // adopted before it comes to the wait.
    const auto deadline = Clock::now() + kDeadline;
    const auto id = static_cast<id_t>(program_);
    siginfo_t ignored{};
    while (::waitid(P_PID, id, &ignored, WEXITED | WNOHANG | WNOWAIT) != 0) {
      if (Clock::now() > deadline) {
        ::prctl(PR_SET_CHILD_SUBREAPER, 0);
        Fail("adopting the program");
      }
      std::this_thread::sleep_for(kShortLook);
    }
    adopted_ = true;
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
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

bool PtySession::TypeUnread(std::string_view bytes) {
  const std::size_t expected = UnreadCount() + bytes.size();
  Type(bytes);
  const auto deadline = Clock::now() + kDeadline;
  // The bytes reach the terminal's input queue a moment after the write.
  while (UnreadCount() < expected) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(kShortLook);
  }
  return true;
}

bool PtySession::TypeWhileStopped(std::string_view bytes, std::chrono::microseconds moment) {
  Signal(SIGSTOP);
  if (!WaitForStop()) return false;
  if ((Mode().c_lflag & ICANON) != 0) {  // stopped after putting the terminal back
    Signal(SIGCONT);
    return false;
  }
  if (!TypeUnread(bytes)) return false;
  const auto deadline = Clock::now() + kDeadline;
  Signal(SIGCONT);
  while (UnreadCount() > 0 && !Ended()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(kShortLook);
  }
  for (const auto end = Clock::now() + moment; Clock::now() < end;) {
    if (Ended() || (Mode().c_lflag & ICANON) != 0) return false;
  }
  return true;
}

std::size_t PtySession::UnreadCount() const {
  int count = 0;
  if (::ioctl(slave_, FIONREAD, &count) != 0) Fail("FIONREAD");
  return static_cast<std::size_t>(count);
}

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
  if (child_ > 0 && !Ended()) ::kill(program_, signal_number);
}

bool PtySession::WaitForStop() {
  const auto deadline = Clock::now() + kDeadline;
  while (!Ended()) {
    if (program_ != child_) {
      if (StoppedNow()) return true;
      if (Clock::now() > deadline) return false;
      Collect(kPollStep);
      continue;
    }
    int wait_status = 0;
    rusage usage{};
    if (::wait4(child_, &wait_status, WNOHANG | WUNTRACED, &usage) == child_) {
      if (WIFSTOPPED(wait_status)) return true;
      RecordEnd(wait_status, usage);
      return false;
    }
    if (Clock::now() > deadline) return false;
    Collect(kPollStep);
  }
  return false;
}

bool PtySession::StoppedNow() const {
  // The state is the first field after the command name, which is in
  // parentheses and may itself hold blanks and parentheses.
  std::ifstream stat("/proc/" + std::to_string(program_) + "/stat");
  const std::string line((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const std::size_t name_end = line.rfind(')');
  return name_end != std::string::npos && line.compare(name_end, 3, ") T") == 0;
}

bool PtySession::Catches(int signal_number) const {
  // SigCgt: the caught signals as a hexadecimal mask, signal N at bit N-1.
  std::ifstream status("/proc/" + std::to_string(program_) + "/status");
  constexpr std::string_view kField = "SigCgt:";
  for (std::string line; std::getline(status, line);) {
    if (!line.starts_with(kField)) continue;
    const unsigned long long caught = std::stoull(line.substr(kField.size()), nullptr, 16);
    return (caught >> (signal_number - 1) & 1) != 0;
  }
  throw std::runtime_error("no SigCgt for the program in /proc");
}

void PtySession::WaitForForeground(pid_t group) {
  const auto deadline = Clock::now() + kDeadline;
  pid_t now = -1;
  while (::ioctl(master_, TIOCGPGRP, &now) == 0 && now != group && !Ended()) {
    if (Clock::now() > deadline) throw std::runtime_error("the foreground never changed");
    std::this_thread::sleep_for(std::chrono::milliseconds{1});
  }
}

void PtySession::Foreground() {
  if (program_ == child_) throw std::logic_error("the program was not started in the background");
  ::kill(child_, SIGUSR1);
  WaitForForeground(program_);
}

void PtySession::TakeTerminalBack() {
  if (program_ == child_) throw std::logic_error("the program was not started in the background");
  ::kill(child_, SIGUSR2);
  WaitForForeground(child_);
}

void PtySession::HangUp() {
  Collect(std::chrono::milliseconds{0});
  ::close(master_);
  master_ = -1;
}

PtyExit PtySession::WaitForExit() {
  if (child_ <= 0) throw std::logic_error("PtySession not started");
  const auto deadline = Clock::now() + kDeadline;
  while (!Ended()) {
    if (Clock::now() > deadline) {
      if (program_ != child_) ::kill(program_, SIGKILL);
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

bool PtySession::LockMode(const termios& locked) {
  termios lock = locked;
  return ::ioctl(slave_, TIOCSLCKTRMIOS, &lock) == 0;
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
  // After a hang-up master_ is -1, which poll() passes over.
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
  // The usage of a child counts that of the children it waited for: the
  // stand-in's counts the program's.
  const pid_t waited = adopted_ ? program_ : child_;
  int wait_status = 0;
  rusage usage{};
  if (::wait4(waited, &wait_status, WNOHANG, &usage) != waited) return false;
  RecordEnd(wait_status, usage);
  if (adopted_) {  // the stand-in waits for an end it cannot see
    ::kill(child_, SIGKILL);
    int ignored = 0;
    while (::waitpid(child_, &ignored, 0) < 0 && errno == EINTR) {
    }
  }
  return true;
}

void PtySession::RecordEnd(int wait_status, const rusage& usage) {
  ended_ = true;
  exit_.exited = WIFEXITED(wait_status);
  exit_.status = exit_.exited ? WEXITSTATUS(wait_status) : WTERMSIG(wait_status);
  for (const timeval& spent : {usage.ru_utime, usage.ru_stime}) {
    exit_.processor_time +=
        std::chrono::seconds(spent.tv_sec) + std::chrono::microseconds(spent.tv_usec);
  }
}

}  // namespace simeq::testing
