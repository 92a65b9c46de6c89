#ifndef SIMEQ_TESTS_SUPPORT_PROCESS_PTY_SESSION_H_
#define SIMEQ_TESTS_SUPPORT_PROCESS_PTY_SESSION_H_

#include <sys/resource.h>
#include <sys/types.h>
#include <termios.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace simeq::testing {

// Where a program run under a pseudo-terminal takes its standard input from.
enum class StandardInputFrom {
  kPipe,      // a pipe the test writes to and then closes
  kTerminal,  // the terminal itself, as in an interactive session
  kClosed,    // descriptor 0 not open at all, as after `simeq <&-`
};

// Where a program run under a pseudo-terminal writes its standard output.
enum class StandardOutputTo {
  kTerminal,  // the terminal, as in an interactive session
  // A socket that keeps each write() as a packet of its own, as `simeq | tee`
  // would see the bytes but with the program's writes told apart.
  kPacketSocket,
};

// How the program's start differs from a plain start from a shell.
struct StartOptions {
  StandardOutputTo output = StandardOutputTo::kTerminal;
  std::vector<int> ignored_signals;      // set to be ignored, as nohup does
  std::vector<std::string> environment;  // NAME=value entries set for it
  // In a process group of its own outside the terminal's foreground group,
  // as `simeq &` from a job-control shell: the session is led by a stand-in
  // for the shell, which keeps the foreground until Foreground().
  bool background = false;
  // With `background`: started by a child of the stand-in that then ends, as
  // `(simeq &)` from a job-control shell, so that no process of its process
  // group has a parent in the session (an orphaned process group). The test
  // process adopts it as a subreaper.
  bool orphaned = false;
};

// How a run under a pseudo-terminal ended.
struct PtyExit {
  bool timed_out = false;  // still running at the deadline, then killed
  bool exited = false;     // returned from main or called exit
  int status = -1;         // the exit status if `exited`, else the signal
  // The processor time, user and system, of the program (and of the
  // stand-in for a shell, which uses next to none).
  std::chrono::microseconds processor_time{0};
};

// A pseudo-terminal owned by the test, and a program running in a session of
// its own (led by the program, or by a stand-in for a shell when it runs in
// the background) with that terminal as its controlling terminal, standard
// output and standard error. The test types into the terminal and collects
// what appears on it. Every wait ends at a deadline; a program still running
// when the session is destroyed is killed.
class PtySession {
 public:
  // How long any single wait may take before it gives up.
  static constexpr std::chrono::seconds kDeadline{10};

  // Opens the terminal; its mode can be read and set before Start.
  PtySession();
  ~PtySession();
  PtySession(const PtySession&) = delete;
  PtySession& operator=(const PtySession&) = delete;

  // Starts `binary` with no arguments; once per session.
  void Start(const std::string& binary, StandardInputFrom input, const StartOptions& options = {});

  // Writes to the program's standard input pipe (kPipe only).
  void WriteStandardInput(std::string_view bytes);
  // Closes the pipe: the program reads end of input after what was written.
  void CloseStandardInput();

  // Types `bytes` into the terminal in one write, as one key press sends them.
  void Type(std::string_view bytes);
  // Types `bytes` while the program is not reading (stopped, say) and waits
  // until they are in the terminal's input queue; false at the deadline.
  bool TypeUnread(std::string_view bytes);
  // Stops the program, types `bytes` and continues it; once it has read
  // them, gives it `moment` to leave single-key mode. True if it is still in
  // single-key mode then; false, typing nothing, if it had left it before.
  // As the program is stopped while they arrive, a pause of the test before
  // them cannot look like a pause in the typing.
  bool TypeWhileStopped(std::string_view bytes, std::chrono::microseconds moment);

  // Waits until `text` appears in the output at or after `from`; returns the
  // position just past it, or std::string::npos at the deadline or once the
  // program has ended without writing it.
  std::size_t WaitForOutput(std::string_view text, std::size_t from = 0);

  // WaitForOutput for what arrived on the packet socket.
  std::size_t WaitForSocketOutput(std::string_view text, std::size_t from = 0);

  // Waits until the terminal has left line mode, that is the program has
  // switched it to take single keys; false at the deadline or if it ended.
  bool WaitForSingleKeyMode();

  // Collects output for `duration`; true if the program is still running.
  bool StillRunningAfter(std::chrono::milliseconds duration);

  // Sends `signal_number` to the program.
  void Signal(int signal_number);

  // Waits until the program has been stopped (by SIGSTOP, or by SIGTTOU or
  // SIGTTIN in the background); false at the deadline or if it ended instead.
  bool WaitForStop();

  // What a shell's `fg` does for a program started in the background: gives
  // it the terminal and continues it. Returns once the terminal is its (or
  // it has ended).
  void Foreground();
  // Puts the shell stand-in in the terminal's foreground again, as a shell
  // does when its job stops; the program is not told. Returns once done.
  void TakeTerminalBack();

  // True if the program has a handler installed for `signal_number`, as
  // /proc tells. (Under an emulator, the emulator's own handlers count.)
  bool Catches(int signal_number) const;

  // Closes the terminal's master side, as when a terminal window is closed:
  // the program's terminal hangs up. Only the output so far can be looked
  // at afterwards, not the mode.
  void HangUp();

  // Waits for the program to end and collects all it wrote; a program still
  // running at the deadline is killed and reported as timed out.
  PtyExit WaitForExit();

  // Everything that has appeared on the terminal: output and echo.
  const std::string& output() const { return output_; }
  // Each write() that arrived on the packet socket, in order.
  const std::vector<std::string>& packets() const { return packets_; }

  // The terminal's current mode.
  termios Mode() const;
  // Sets the terminal's mode at once.
  void SetMode(const termios& mode);
  // Locks the bits and characters that are non-zero in `locked`, so that
  // setting the mode leaves them as they are; false if this process may not
  // (it needs CAP_SYS_ADMIN).
  bool LockMode(const termios& locked);

  // Takes and returns whatever was typed into the terminal and is still
  // unread, whichever mode the terminal is in.
  std::string TakeUnreadInput();

 private:
  // Waits until `text` appears in `seen` at or after `from`.
  std::size_t WaitFor(const std::string& seen, std::string_view text, std::size_t from);
  // Waits up to `wait` for output, then takes all that is there.
  void Collect(std::chrono::milliseconds wait);
  // True once the program has ended; records how.
  bool Ended();
  // Records how the program ended from its `wait4` status and usage.
  void RecordEnd(int wait_status, const rusage& usage);
  // True if the program is stopped now, as /proc tells (for a program that
  // is not this process's child).
  bool StoppedNow() const;
  // How many typed bytes wait in the terminal for the program to read them.
  std::size_t UnreadCount() const;
  // Waits until the terminal's foreground process group is `group`, or the
  // program has ended.
  void WaitForForeground(pid_t group);

  int master_ = -1;
  int slave_ = -1;
  int input_pipe_ = -1;
  int output_socket_ = -1;
  pid_t child_ = -1;    // the program, or the shell stand-in above it
  pid_t program_ = -1;  // the program
  bool ended_ = false;  // the program has ended and been waited for
  // The program is this process's child, not child_'s (StartOptions::orphaned).
  bool adopted_ = false;
  PtyExit exit_;
  std::string output_;
  std::vector<std::string> packets_;
  std::string socket_output_;  // the packets joined
};

}  // namespace simeq::testing

#endif  // SIMEQ_TESTS_SUPPORT_PROCESS_PTY_SESSION_H_
