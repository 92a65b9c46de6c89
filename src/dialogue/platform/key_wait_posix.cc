#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include "dialogue/platform/key_sequence.h"
#include "dialogue/platform/key_wait.h"

namespace simeq {
namespace {

// How long to wait for each further byte of a key that sends a sequence, in
// tenths of a second. The terminal's own timer (VTIME) measures it: poll()
// is no help, as some systems' poll() does not serve terminal devices and
// answers at once, which would leave a lone Esc waiting for a second key.
constexpr cc_t kSequenceByteTenths = 1;

// Signals that would end the process while the terminal is in raw mode.
constexpr int kFatalSignals[] = {SIGTERM, SIGHUP, SIGINT, SIGQUIT};
constexpr int kFatalSignalCount = sizeof kFatalSignals / sizeof kFatalSignals[0];

// What the signal handlers need. Set before the handlers are installed and
// left alone until they are removed.
int g_terminal = -1;
termios g_saved_mode;
struct sigaction g_old_actions[kFatalSignalCount];
// True when job control cannot stop this process for changing the mode from
// a background process group (SIGTTOU ignored or blocked), so that it may
// have done so.
bool g_mode_settable_in_background = false;

// The single-key modes of the wait: for the first byte of a key, which is
// waited for without end, and for the further bytes of a sequence, each
// waited for a short time. `g_key_mode` picks the one in force.
termios g_key_modes[2];
volatile sig_atomic_t g_key_mode = 0;
constexpr int kFirstByteMode = 0;
constexpr int kFurtherBytesMode = 1;

// The SIGCONT handler the wait replaced.
struct sigaction g_old_continue_action;

// True if the terminal's mode is this process's to put back. In the
// foreground it holds the single-key mode, or still the mode saved a moment
// before. In the background it holds the mode of whoever is in the
// foreground now: the wait never got the terminal, or a shell took it back
// when the program was stopped.
bool TerminalModeIsOurs() {
  return g_mode_settable_in_background || ::tcgetpgrp(g_terminal) == ::getpgrp();
}

// Restores the terminal, puts back the handler that was there before the
// wait and raises the signal again, so the process ends as it would have.
extern "C" void RestoreTerminalAndReraise(int signal_number) {
  if (TerminalModeIsOurs()) {
    // Never stopped here, not even if moved to the background just now: a
    // terminating signal must end the process.
    sigset_t job_control;
    sigemptyset(&job_control);
    sigaddset(&job_control, SIGTTOU);
    ::sigprocmask(SIG_BLOCK, &job_control, nullptr);
    ::tcflush(g_terminal, TCIFLUSH);  // what was typed at the wait, not for the shell
    ::tcsetattr(g_terminal, TCSANOW, &g_saved_mode);
  }
  for (int i = 0; i < kFatalSignalCount; ++i) {
    if (kFatalSignals[i] == signal_number) {
      ::sigaction(signal_number, &g_old_actions[i], nullptr);
    }
  }
  ::raise(signal_number);
}

void InstallSignalHandlers() {
  struct sigaction action {};
  action.sa_handler = RestoreTerminalAndReraise;
  // One restore at a time, and no SIGCONT putting the single-key mode back
  // in the middle of it.
  sigemptyset(&action.sa_mask);
  for (const int signal_number : kFatalSignals) sigaddset(&action.sa_mask, signal_number);
  sigaddset(&action.sa_mask, SIGCONT);
  for (int i = 0; i < kFatalSignalCount; ++i) {
    ::sigaction(kFatalSignals[i], &action, &g_old_actions[i]);
    // A signal the caller chose to ignore stays ignored.
    if (g_old_actions[i].sa_handler == SIG_IGN) {
      ::sigaction(kFatalSignals[i], &g_old_actions[i], nullptr);
    }
  }
}

void RemoveSignalHandlers() {
  for (int i = 0; i < kFatalSignalCount; ++i) {
    ::sigaction(kFatalSignals[i], &g_old_actions[i], nullptr);
  }
}

// True if SIGTTOU is ignored or blocked: the terminal's mode can then be set
// from a background process group without the process being stopped.
bool ModeSettableInBackground() {
  struct sigaction action {};
  sigset_t blocked;
  sigemptyset(&blocked);
  ::sigaction(SIGTTOU, nullptr, &action);
  ::sigprocmask(SIG_BLOCK, nullptr, &blocked);
  return action.sa_handler == SIG_IGN || sigismember(&blocked, SIGTTOU) == 1;
}

// A job-control shell that stopped the program during the wait gives the
// terminal back in line mode with echo; put the single-key mode back. In the
// background this stops the process until it is in the foreground again.
extern "C" void ReapplySingleKeyMode(int) {
  const int saved_errno = errno;
  ::tcsetattr(g_terminal, TCSANOW, &g_key_modes[g_key_mode]);
  errno = saved_errno;
}

void InstallContinueHandler() {
  struct sigaction action {};
  action.sa_handler = ReapplySingleKeyMode;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGCONT, &action, &g_old_continue_action);
}

void RemoveContinueHandler() { ::sigaction(SIGCONT, &g_old_continue_action, nullptr); }

// Fills `g_key_modes` from the terminal's mode `saved`.
void PrepareKeyModes(const termios& saved) {
  termios raw = saved;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON);  // no line editing: no Enter
  raw.c_lflag &= ~static_cast<tcflag_t>(ECHO);    // the key is not shown
  raw.c_lflag &= ~static_cast<tcflag_t>(ISIG);    // Ctrl+C is a key (byte 3)
  raw.c_lflag &= ~static_cast<tcflag_t>(IEXTEN);  // Ctrl+V and Ctrl+O too
  raw.c_iflag &= ~static_cast<tcflag_t>(IXON);    // Ctrl+S and Ctrl+Q too
  raw.c_iflag &= ~static_cast<tcflag_t>(ICRNL);   // Enter arrives as CR
  raw.c_cc[VMIN] = 1;                             // a read returns one byte
  raw.c_cc[VTIME] = 0;                            // and waits for it
  // Output processing is left as it is.
  termios further = raw;
  further.c_cc[VMIN] = 0;                     // a read may return no byte
  further.c_cc[VTIME] = kSequenceByteTenths;  // once this time has passed
  g_key_modes[kFirstByteMode] = raw;
  g_key_modes[kFurtherBytesMode] = further;
}

// Switches the terminal to the key mode `mode` (`when` as for tcsetattr) and
// checks that it took it: tcsetattr() succeeds if any part of a change was
// made, and a terminal whose line mode is locked keeps it. The mode is
// recorded first, so that a stop and continue during the switch puts back
// this mode rather than the one before.
bool EnterKeyMode(int fd, int mode, int when) {
  g_key_mode = mode;
  const termios& wanted = g_key_modes[mode];
  termios now{};
  return ::tcsetattr(fd, when, &wanted) == 0 && ::tcgetattr(fd, &now) == 0 &&
         (now.c_lflag & (ICANON | ECHO)) == 0 && now.c_cc[VMIN] == wanted.c_cc[VMIN] &&
         now.c_cc[VTIME] == wanted.c_cc[VTIME];
}

// Reads one byte, retrying only after an interruption; -1 when none comes:
// the terminal's timer ran out, or the terminal cannot be read any more
// (end of file or EIO once it has hung up, EIO in a background process
// group that ignores SIGTTIN).
int ReadByte(int fd) {
  for (;;) {
    unsigned char byte = 0;
    const ssize_t got = ::read(fd, &byte, 1);
    if (got == 1) return byte;
    if (got < 0 && errno == EINTR) continue;
    return -1;
  }
}

// Puts the terminal into single-key mode, reads one key press and puts the
// saved mode back; -1 if the terminal would not take single keys or could
// not be read.
int ReadKey(int fd) {
  PrepareKeyModes(g_saved_mode);
  g_key_mode = kFirstByteMode;
  // Before the terminal leaves line mode, so that a stop from then on is
  // always followed by the single-key mode coming back.
  InstallContinueHandler();
  int first = -1;
  // Should a shell have taken the terminal back meanwhile, this stops the
  // process again until it is in the foreground. TCSAFLUSH discards
  // whatever was typed before the wait, so only a key pressed now ends it.
  if (EnterKeyMode(fd, kFirstByteMode, TCSAFLUSH)) {
    first = ReadByte(fd);
    if (first >= 0) {
      KeySequence sequence(static_cast<unsigned char>(first));
      if (!sequence.Complete() && EnterKeyMode(fd, kFurtherBytesMode, TCSANOW)) {
        for (int next = 0; !sequence.Complete() && (next = ReadByte(fd)) >= 0;) {
          sequence.Feed(static_cast<unsigned char>(next));
        }
      }
    }
  }
  RemoveContinueHandler();  // first, so a late SIGCONT cannot undo the restore
  // TCSAFLUSH discards what arrived with the key (the rest of a paste, keys
  // typed after it), so none of it reaches the shell as typed input.
  ::tcsetattr(fd, TCSAFLUSH, &g_saved_mode);
  return first;
}

// Returns once this process may set the terminal's mode. In a background
// process group tcdrain(), like every call that would change the terminal,
// stops the job (SIGTTOU) as reading the terminal there would, until a shell
// brings it to the foreground; only then is the mode the one to put back at
// the end, not that of whoever had the terminal meanwhile (a shell's line
// editor, say). tcdrain() changes nothing, and no handler is installed yet,
// so a terminating signal ends the stopped job, once it is continued, with
// nothing to put back. False if the terminal cannot be used at all (an
// orphaned background group gets EIO).
bool WaitUntilModeIsOurs(int fd) {
  for (;;) {
    if (::tcdrain(fd) == 0) return true;
    if (errno != EINTR) return false;
  }
}

}  // namespace

int WaitForKey() {
  const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;  // no controlling terminal
  termios saved{};
  if (!WaitUntilModeIsOurs(fd) || ::tcgetattr(fd, &saved) != 0) {
    ::close(fd);
    return -1;
  }
  g_terminal = fd;
  g_saved_mode = saved;
  g_mode_settable_in_background = ModeSettableInBackground();
  InstallSignalHandlers();
  const int key = ReadKey(fd);
  RemoveSignalHandlers();
  ::close(fd);
  return key;
}

}  // namespace simeq
