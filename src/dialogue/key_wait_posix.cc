#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include "dialogue/key_sequence.h"
#include "dialogue/key_wait.h"

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

// What the signal handler needs to put the terminal back. Set before the
// handlers are installed and left alone until they are removed.
int g_terminal = -1;
termios g_saved_mode;
struct sigaction g_old_actions[kFatalSignalCount];

// The single-key modes of the wait: for the first byte of a key, which is
// waited for without end, and for the further bytes of a sequence, each
// waited for a short time. `g_key_mode` picks the one in force.
termios g_key_modes[2];
volatile sig_atomic_t g_key_mode = 0;
constexpr int kFirstByteMode = 0;
constexpr int kFurtherBytesMode = 1;

// The SIGCONT handler the wait replaced.
struct sigaction g_old_continue_action;

// Restores the terminal, puts back the handler that was there before the
// wait and raises the signal again, so the process ends as it would have.
extern "C" void RestoreTerminalAndReraise(int signal_number) {
  ::tcsetattr(g_terminal, TCSANOW, &g_saved_mode);
  for (int i = 0; i < kFatalSignalCount; ++i) {
    if (kFatalSignals[i] == signal_number) {
      ::sigaction(signal_number, &g_old_actions[i], nullptr);
    }
  }
  ::raise(signal_number);
}

void InstallSignalHandlers() {
  for (int i = 0; i < kFatalSignalCount; ++i) {
    struct sigaction action {};
    action.sa_handler = RestoreTerminalAndReraise;
    sigemptyset(&action.sa_mask);
    ::sigaction(kFatalSignals[i], &action, &g_old_actions[i]);
    // A signal the caller chose to ignore stays ignored.
    if (g_old_actions[i].sa_handler == SIG_IGN) {
      ::sigaction(kFatalSignals[i], &g_old_actions[i], nullptr);
    }
  }
}

// A job-control shell that stopped the program during the wait gives the
// terminal back in line mode with echo; put the single-key mode back.
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

void RemoveSignalHandlers() {
  for (int i = 0; i < kFatalSignalCount; ++i) {
    ::sigaction(kFatalSignals[i], &g_old_actions[i], nullptr);
  }
}

// Reads one byte, retrying after interruptions; -1 on end, on error or when
// the terminal's timer runs out.
int ReadByte(int fd) {
  for (;;) {
    unsigned char byte = 0;
    const ssize_t got = ::read(fd, &byte, 1);
    if (got == 1) return byte;
    if (got < 0 && errno == EINTR) continue;
    return -1;  // timer run out, end of file, or the terminal has gone
  }
}

// Puts the terminal into single-key mode and reads one key press.
int ReadKey(int fd, const termios& saved) {
  termios raw = saved;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON);  // no line editing: no Enter
  raw.c_lflag &= ~static_cast<tcflag_t>(ECHO);    // the key is not shown
  raw.c_lflag &= ~static_cast<tcflag_t>(ISIG);    // Ctrl+C is a key (byte 3)
  raw.c_lflag &= ~static_cast<tcflag_t>(IEXTEN);  // Ctrl+V and Ctrl+O too
  raw.c_iflag &= ~static_cast<tcflag_t>(IXON);    // Ctrl+S and Ctrl+Q too
  raw.c_iflag &= ~static_cast<tcflag_t>(ICRNL);   // Enter arrives as CR
  raw.c_cc[VMIN] = 1;                             // a read returns one byte
  raw.c_cc[VTIME] = 0;                            // and waits for it
  // Output processing is left as it is. TCSAFLUSH also discards whatever was
  // typed before the wait, so only a key pressed now ends it.
  if (::tcsetattr(fd, TCSAFLUSH, &raw) != 0) return -1;
  termios further = raw;
  further.c_cc[VMIN] = 0;                     // a read may return no byte
  further.c_cc[VTIME] = kSequenceByteTenths;  // once this time has passed
  g_key_modes[kFirstByteMode] = raw;
  g_key_modes[kFurtherBytesMode] = further;
  g_key_mode = kFirstByteMode;
  InstallContinueHandler();

  const int first = ReadByte(fd);
  if (first >= 0) {
    KeySequence sequence(static_cast<unsigned char>(first));
    if (!sequence.Complete()) {
      g_key_mode = kFurtherBytesMode;  // first, so SIGCONT cannot undo the change
      ::tcsetattr(fd, TCSANOW, &further);
    }
    while (!sequence.Complete()) {
      const int next = ReadByte(fd);
      if (next < 0) break;
      sequence.Feed(static_cast<unsigned char>(next));
    }
  }
  RemoveContinueHandler();  // first, so a late SIGCONT cannot undo the restore
  // TCSAFLUSH discards what arrived with the key (the rest of a paste, keys
  // typed after it), so none of it reaches the shell as typed input.
  ::tcsetattr(fd, TCSAFLUSH, &saved);
  return first;
}

}  // namespace

int WaitForKey() {
  const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;  // no controlling terminal
  termios saved{};
  if (::tcgetattr(fd, &saved) != 0) {
    ::close(fd);
    return -1;
  }
  g_terminal = fd;
  g_saved_mode = saved;
  InstallSignalHandlers();
  const int key = ReadKey(fd, saved);
  RemoveSignalHandlers();
  ::close(fd);
  return key;
}

}  // namespace simeq
