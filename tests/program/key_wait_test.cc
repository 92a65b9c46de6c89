// The closing key wait of the real program, under a pseudo-terminal that the
// test owns: the program's controlling terminal and standard output are the
// terminal, its standard input is a pipe holding the dialogue input.

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "support/process/program_command.h"
#include "support/process/pty_session.h"
#include "support/process/run_binary.h"

namespace simeq::testing {
namespace {

// The terminal turns each "\n" the program writes into "\r\n".
constexpr std::string_view kMenuPrompt =
    " Enter Value For Program's Selection Between '1 And 2' --> ";
constexpr std::string_view kClosingPrompt = " ........Press Any Key To Continue........ \r\n";

// A menu choice that runs no walkthrough, so the program goes straight to
// the closing prompt and the wait.
constexpr std::string_view kNoWalkthrough = "3\n";

// Compares the parts of two terminal modes that the key wait changes and
// must put back.
::testing::AssertionResult SameMode(const termios& before, const termios& after) {
  static constexpr struct {
    const char* name;
    tcflag_t termios::*flags;
  } kFlags[] = {
      {"c_iflag", &termios::c_iflag},
      {"c_oflag", &termios::c_oflag},
      {"c_lflag", &termios::c_lflag},
  };
  for (const auto& field : kFlags) {
    if (before.*field.flags != after.*field.flags) {
      return ::testing::AssertionFailure() << field.name << " " << std::hex << before.*field.flags
                                           << " became " << after.*field.flags;
    }
  }
  for (std::size_t i = 0; i < NCCS; ++i) {
    if (before.c_cc[i] != after.c_cc[i]) {
      return ::testing::AssertionFailure()
             << "c_cc[" << i << "] " << int{before.c_cc[i]} << " became " << int{after.c_cc[i]};
    }
  }
  return ::testing::AssertionSuccess();
}

// A line mode with settings a careless restore would not bring back: flags
// the wait clears are already off, others are unusual, and the single-key
// read counts differ from the ones the wait uses.
termios UnusualLineMode(termios mode) {
  mode.c_iflag &= ~static_cast<tcflag_t>(ICRNL | IXON);
  mode.c_iflag |= IXANY;
  mode.c_lflag &= ~static_cast<tcflag_t>(IEXTEN | ECHOCTL);
  mode.c_cc[VMIN] = 2;
  mode.c_cc[VTIME] = 3;
  mode.c_cc[VERASE] = '\b';
  return mode;
}

// Starts the program with `input` as its whole standard input and waits
// until it has written the closing prompt; `prompt_end` receives the output
// position just past the prompt.
::testing::AssertionResult StartAndReachClosingPrompt(PtySession& session, std::string_view input,
                                                      std::size_t& prompt_end,
                                                      const StartOptions& options = {}) {
  session.Start(SIMEQ_BINARY, StandardInputFrom::kPipe, options);
  session.WriteStandardInput(input);
  session.CloseStandardInput();
  prompt_end = session.WaitForOutput(kClosingPrompt);
  if (prompt_end == std::string::npos) {
    return ::testing::AssertionFailure() << "no closing prompt in:\n" << session.output();
  }
  return ::testing::AssertionSuccess();
}

// StartAndReachClosingPrompt, then waits until the program has taken the
// terminal for the key.
::testing::AssertionResult StartAndReachKeyWait(PtySession& session, std::string_view input,
                                                std::size_t& prompt_end,
                                                const StartOptions& options = {}) {
  const ::testing::AssertionResult started =
      StartAndReachClosingPrompt(session, input, prompt_end, options);
  if (!started) return started;
  if (!session.WaitForSingleKeyMode()) {
    return ::testing::AssertionFailure() << "the terminal never left line mode";
  }
  return ::testing::AssertionSuccess();
}

// Starts the program in the background as `simeq &` would, where it must
// stop at the closing wait without touching the terminal, then brings it to
// the foreground, where it must take the terminal for its key.
::testing::AssertionResult StartInTheBackgroundThenBringForward(PtySession& session,
                                                                std::size_t& prompt_end) {
  // Meanwhile the shell's line editor has the terminal in a mode of its own,
  // which is not the one to put back at the end.
  const termios line_mode = session.Mode();
  termios editor = line_mode;
  editor.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  session.SetMode(editor);
  StartOptions options;
  options.background = true;
  const ::testing::AssertionResult started =
      StartAndReachClosingPrompt(session, kNoWalkthrough, prompt_end, options);
  if (!started) return started;
  if (!session.WaitForStop()) return ::testing::AssertionFailure() << "not stopped";
  ::testing::AssertionResult unchanged = SameMode(editor, session.Mode());
  if (!unchanged) return unchanged << " in the background";
  // What `fg` does: the shell puts its line mode back and hands over.
  session.SetMode(line_mode);
  session.Foreground();
  if (!session.WaitForSingleKeyMode()) {
    return ::testing::AssertionFailure() << "the terminal never left line mode";
  }
  return ::testing::AssertionSuccess();
}

// Waits for the program to end after its key and checks that it ended as
// it should: of itself with status 0, nothing echoed after the closing
// prompt, the terminal as `before` and nothing of the key left unread.
void ExpectEndAfterTheKey(PtySession& session, std::size_t prompt_end, const termios& before) {
  const PtyExit end = session.WaitForExit();
  EXPECT_FALSE(end.timed_out);
  EXPECT_TRUE(end.exited);
  EXPECT_EQ(0, end.status);
  EXPECT_EQ("", session.output().substr(prompt_end)) << "echoed";
  EXPECT_TRUE(SameMode(before, session.Mode()));
  EXPECT_EQ("", session.TakeUnreadInput()) << "left for the shell";
}

// More processor time than a wait that ends at once takes, beyond that of a
// run with no terminal. It is measured on the plain build only: under
// AddressSanitizer a run's processor time varies by tens of milliseconds
// from one run to the next, and under an emulator the emulator's own work
// (translating the wait's code, and a stand-in shell that is an emulated
// copy of the test) is far more.
constexpr std::chrono::milliseconds kFewMilliseconds{10};
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kProcessorTimeIsMeaningful = false;
#else
constexpr bool kProcessorTimeIsMeaningful = true;
#endif

// How far apart the bytes of a key arrive over a slow connection such as ssh.
constexpr std::chrono::milliseconds kSlowLinkGap{20};

// Types the bytes of one key press; `apart` sends them one at a time with a
// pause between, as a slow connection delivers them.
void TypeKey(PtySession& session, std::string_view bytes, bool apart) {
  if (!apart) return session.Type(bytes);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0) std::this_thread::sleep_for(kSlowLinkGap);
    session.Type(bytes.substr(i, 1));
  }
}

TEST(KeyWait, WaitsAfterTheClosingPromptWithoutEchoingTheKey) {
  PtySession session;
  std::size_t prompt_end = 0;
  ASSERT_TRUE(StartAndReachKeyWait(session, kNoWalkthrough, prompt_end));
  EXPECT_TRUE(session.StillRunningAfter(std::chrono::milliseconds{300}));

  session.Type("k");
  const PtyExit end = session.WaitForExit();
  EXPECT_FALSE(end.timed_out);
  EXPECT_TRUE(end.exited);
  EXPECT_EQ(0, end.status);
  EXPECT_EQ(std::string(" \r\n"
                        "                         Quelmarin-!!!\r\n"
                        "             Last Dated On 08/01/2007 <-- To -->  07/24/2002-!!!\r\n"
                        " \r\n") +
                std::string(kMenuPrompt) + std::string(kClosingPrompt),
            session.output());
}

TEST(KeyWait, LeftoverStandardInputAndTypedAheadLinesDoNotEndIt) {
  PtySession session;
  session.Start(SIMEQ_BINARY, StandardInputFrom::kPipe);
  ASSERT_NE(std::string::npos, session.WaitForOutput(kMenuPrompt));
  // Typed while the program reads its menu choice from the pipe; the echo
  // shows that the line is in the terminal's input queue.
  session.Type("typed ahead\r");
  ASSERT_NE(std::string::npos, session.WaitForOutput("typed ahead\r\n"));
  session.WriteStandardInput("3 4 5 6\n");  // 4 5 6 stay unread
  session.CloseStandardInput();
  const std::size_t prompt_end = session.WaitForOutput(kClosingPrompt);
  ASSERT_NE(std::string::npos, prompt_end);
  ASSERT_TRUE(session.WaitForSingleKeyMode());
  EXPECT_TRUE(session.StillRunningAfter(std::chrono::milliseconds{300}));

  session.Type("k");
  const PtyExit end = session.WaitForExit();
  EXPECT_FALSE(end.timed_out);
  EXPECT_EQ(0, end.status);
  EXPECT_EQ("", session.output().substr(prompt_end));
  EXPECT_EQ("", session.TakeUnreadInput()) << "the typed-ahead line was not discarded";
}

TEST(KeyWait, EachKeyEndsItWholeAndLeavesTheTerminalAsItWas) {
  static constexpr struct {
    const char* name;
    std::string_view bytes;
    bool apart = false;  // typed a byte at a time, as over a slow link
  } kKeys[] = {
      {"letter", "k"},
      {"Ctrl+C", "\x03"},
      {"Ctrl+Z", "\x1a"},
      {"Ctrl+S", "\x13"},
      {"Enter", "\r"},
      {"Escape", "\x1b"},
      {"Alt+x", "\x1bx"},
      {"Alt+[, a sequence that never ends", "\x1b["},
      {"cursor up", "\x1b[A"},
      {"cursor up, bytes apart", "\x1b[A", true},
      {"F1 in application mode", "\x1bOP"},
      {"F5", "\x1b[15~"},
      {"Ctrl+Right", "\x1b[1;5C"},
      {"console F1", "\x1b[[A"},
      {"two-byte character", "\xc3\xa9"},
      {"fullwidth exclamation mark", "\xef\xbc\x81"},
      {"four-byte character", "\xf0\x9f\x98\x80"},
      {"a paste of ab", "ab"},
  };
  for (const auto& key : kKeys) {
    SCOPED_TRACE(key.name);
    PtySession session;
    const termios before = session.Mode();
    std::size_t prompt_end = 0;
    ASSERT_TRUE(StartAndReachKeyWait(session, kNoWalkthrough, prompt_end));

    TypeKey(session, key.bytes, key.apart);
    ExpectEndAfterTheKey(session, prompt_end, before);
  }
}

TEST(KeyWait, EndsWholeWherePollDoesNotServeTerminals) {
  const std::string library = SIMEQ_POLL_REFUSES_TERMINALS;
  if (library.empty()) {
    GTEST_SKIP() << "a program started through an emulator cannot load a host library";
  }
  static constexpr struct {
    const char* name;
    std::string_view bytes;
    bool apart;
  } kKeys[] = {
      {"Escape", "\x1b", false},
      {"cursor up, bytes apart", "\x1b[A", true},
  };
  for (const auto& key : kKeys) {
    SCOPED_TRACE(key.name);
    char mark[] = "/tmp/simeq-preloaded-XXXXXX";
    ::close(::mkstemp(mark));
    ::unlink(mark);
    StartOptions options;
    options.environment = {"LD_PRELOAD=" + library, std::string("SIMEQ_PRELOAD_MARK=") + mark};
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer wants its runtime first among the libraries loaded; the
    // preloaded one comes before it, which is harmless here.
    const char* asan_options = ::getenv("ASAN_OPTIONS");
    options.environment.push_back(std::string("ASAN_OPTIONS=") +
                                  (asan_options ? asan_options : "") + ":verify_asan_link_order=0");
#endif
    PtySession session;
    const termios before = session.Mode();
    std::size_t prompt_end = 0;
    ASSERT_TRUE(StartAndReachKeyWait(session, kNoWalkthrough, prompt_end, options));
    const bool preloaded = ::unlink(mark) == 0;

    TypeKey(session, key.bytes, key.apart);
    const PtyExit end = session.WaitForExit();
    if (!preloaded) GTEST_SKIP() << "the program did not load " << library;
    EXPECT_FALSE(end.timed_out);
    EXPECT_EQ(0, end.status);
    EXPECT_EQ("", session.output().substr(prompt_end)) << "echoed";
    EXPECT_TRUE(SameMode(before, session.Mode()));
    EXPECT_EQ("", session.TakeUnreadInput()) << "left for the shell";
  }
}

TEST(KeyWait, PutsBackAnUnusualModeExactly) {
  PtySession session;
  session.SetMode(UnusualLineMode(session.Mode()));
  const termios before = session.Mode();
  std::size_t prompt_end = 0;
  ASSERT_TRUE(StartAndReachKeyWait(session, kNoWalkthrough, prompt_end));

  session.Type("\x1b[A");
  const PtyExit end = session.WaitForExit();
  EXPECT_FALSE(end.timed_out);
  EXPECT_EQ(0, end.status);
  EXPECT_TRUE(SameMode(before, session.Mode()));
}

TEST(KeyWait, TakesSingleKeysAgainAfterAStopAndContinue) {
  PtySession session;
  const termios before = session.Mode();
  std::size_t prompt_end = 0;
  ASSERT_TRUE(StartAndReachKeyWait(session, kNoWalkthrough, prompt_end));

  // What a job-control shell does: the program is stopped, the shell takes
  // the terminal back in line mode, and on "fg" the program continues. The
  // program leads its own session here, where SIGTSTP would not stop it.
  session.Signal(SIGSTOP);
  ASSERT_TRUE(session.WaitForStop());
  session.SetMode(before);
  session.Signal(SIGCONT);
  ASSERT_TRUE(session.WaitForSingleKeyMode());

  session.Type("k");
  const PtyExit end = session.WaitForExit();
  EXPECT_FALSE(end.timed_out);
  EXPECT_EQ(0, end.status);
  EXPECT_EQ("", session.output().substr(prompt_end)) << "echoed";
  EXPECT_TRUE(SameMode(before, session.Mode()));
}

TEST(KeyWait, AHeldDownCursorKeyEndsItAtTheFirstPress) {
  // Each repeat arrives while the wait would still take further bytes of the
  // one before, so only the end of the key's own sequence can end it. After
  // each, the program has a moment to end, far less than that time.
  constexpr int kRepeats = 30;
  constexpr std::chrono::milliseconds kMoment{1};
  PtySession session;
  const termios before = session.Mode();
  std::size_t prompt_end = 0;
  ASSERT_TRUE(StartAndReachKeyWait(session, kNoWalkthrough, prompt_end));
  int typed = 0;
  while (typed < kRepeats && session.TypeWhileStopped("\x1b[A", kMoment)) ++typed;
  EXPECT_LT(typed, kRepeats) << "still waiting after every repeat";
  const PtyExit end = session.WaitForExit();
  EXPECT_EQ(0, end.status);
  EXPECT_EQ("", session.output().substr(prompt_end)) << "echoed";
  EXPECT_TRUE(SameMode(before, session.Mode()));
}

TEST(KeyWait, AStopAndContinueInTheMiddleOfAKeyLeaveItEndingByItself) {
  // Alt+[ sends ESC [ and no more: the wait takes further bytes until its
  // timer runs out. Stopped meanwhile and given back the terminal in line
  // mode, it must get that timer back rather than wait for another key.
  // Each attempt stops it within that time, which a very busy machine can
  // miss; then the attempt is made again.
  constexpr int kAttempts = 5;
  for (int attempt = 1;; ++attempt) {
    PtySession session;
    const termios before = session.Mode();
    std::size_t prompt_end = 0;
    ASSERT_TRUE(StartAndReachKeyWait(session, kNoWalkthrough, prompt_end));
    session.Type("\x1b[");
    // The wait takes further bytes in the mode where a read may return none;
    // a moment later it is reading, waiting for one.
    const auto give_up = std::chrono::steady_clock::now() + PtySession::kDeadline;
    while (session.Mode().c_cc[VMIN] != 0 && std::chrono::steady_clock::now() < give_up) {
      std::this_thread::sleep_for(std::chrono::milliseconds{1});
    }
    std::this_thread::sleep_for(kSlowLinkGap);
    session.Signal(SIGSTOP);
    if (!session.WaitForStop() || session.Mode().c_cc[VMIN] != 0) {
      ASSERT_LT(attempt, kAttempts) << "never stopped in the middle of the key";
      continue;
    }
    session.SetMode(before);
    session.Signal(SIGCONT);
    const PtyExit end = session.WaitForExit();
    EXPECT_FALSE(end.timed_out) << "waits for a key after the continue";
    EXPECT_TRUE(end.exited);
    EXPECT_EQ(0, end.status);
    EXPECT_TRUE(SameMode(before, session.Mode()));
    EXPECT_EQ("", session.TakeUnreadInput()) << "left for the shell";
    return;
  }
}

TEST(KeyWait, NoLongerCatchesAContinueWhenItPutsTheTerminalBack) {
  // A SIGCONT just after the terminal is put back must not bring the
  // single-key mode back for the shell. That moment is too short to hit, so
  // the program is held in the restore itself: its shell took the terminal
  // back while it read the key, so putting the mode back from the
  // background stops it.
  if (!EmulatorCommand().empty()) GTEST_SKIP() << "the emulator catches every signal itself";
  PtySession session;
  const termios before = session.Mode();
  std::size_t prompt_end = 0;
  ASSERT_TRUE(StartInTheBackgroundThenBringForward(session, prompt_end));
  EXPECT_TRUE(session.Catches(SIGCONT)) << "no handler to take single keys again after a stop";

  session.TakeTerminalBack();
  session.Type("k");
  ASSERT_TRUE(session.WaitForStop()) << "putting the mode back from the background did not stop it";
  EXPECT_FALSE(session.Catches(SIGCONT));
  session.Foreground();
  ExpectEndAfterTheKey(session, prompt_end, before);
}

TEST(KeyWait, SignalDuringItEndsTheProgramAndRestoresTheMode) {
  // Where the wait is when the signal comes: in the foreground, waiting or
  // stopped from elsewhere with keys typed meanwhile; stopped in the
  // background before it got the terminal, as under `timeout`; stopped
  // reading in the background after setting the mode from there, which an
  // ignored SIGTTOU allows; or stopped while waiting and left there by its
  // shell, which took the terminal back and set a mode of its own.
  static constexpr struct {
    const char* name;
    bool background;
    bool ignoring_sigttou;
    bool stopped_while_waiting;
  } kPlaces[] = {
      {"foreground", false, false, false},
      {"stopped in the foreground, keys typed meanwhile", false, false, true},
      {"stopped in the background", true, false, false},
      {"stopped reading in the background, SIGTTOU ignored", true, true, false},
      {"stopped while waiting, then its shell took the terminal", true, false, true},
  };
  // Typed while the program is stopped: its own to discard in the
  // foreground, the shell's to keep once the shell has the terminal.
  constexpr std::string_view kTyped = "ls";
  static constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT, SIGQUIT};
  for (const auto& place : kPlaces) {
    // An emulator takes every signal itself, and qemu-riscv64 goes back into
    // the terminal call that stopped the job before it runs the program's
    // handler, so the job stops again: the kernel's job control is checked
    // natively.
    if (place.background && !EmulatorCommand().empty()) continue;
    for (const int signal_number : kSignals) {
      SCOPED_TRACE(std::string(place.name) + ", " + ::strsignal(signal_number));
      PtySession session;
      StartOptions options;
      options.background = place.background;
      if (place.ignoring_sigttou) options.ignored_signals = {SIGTTOU};
      std::size_t prompt_end = 0;
      termios expected{};
      std::string_view left_for_the_shell;
      if (!place.background) {
        session.SetMode(UnusualLineMode(session.Mode()));
        expected = session.Mode();
        ASSERT_TRUE(StartAndReachKeyWait(session, kNoWalkthrough, prompt_end, options));
        if (place.stopped_while_waiting) {
          session.Signal(SIGSTOP);
          ASSERT_TRUE(session.WaitForStop());
          ASSERT_TRUE(session.TypeUnread(kTyped));
        }
        session.Signal(signal_number);
        if (place.stopped_while_waiting) session.Signal(SIGCONT);
      } else if (place.stopped_while_waiting) {
        ASSERT_TRUE(StartInTheBackgroundThenBringForward(session, prompt_end));
        session.Signal(SIGSTOP);
        ASSERT_TRUE(session.WaitForStop());
        session.TakeTerminalBack();
        session.SetMode(UnusualLineMode(session.Mode()));
        expected = session.Mode();
        ASSERT_TRUE(session.TypeUnread(kTyped));
        left_for_the_shell = kTyped;
        // What a shell's `kill %1` sends.
        session.Signal(signal_number);
        session.Signal(SIGCONT);
      } else {
        expected = session.Mode();
        ASSERT_TRUE(StartAndReachClosingPrompt(session, kNoWalkthrough, prompt_end, options));
        ASSERT_TRUE(session.WaitForStop());
        if (!place.ignoring_sigttou) {
          // The terminal is the foreground's, in a mode of its own that the
          // program must leave alone.
          session.SetMode(UnusualLineMode(expected));
          expected = session.Mode();
        }
        // What `timeout` and a shell's `kill` do to a stopped job.
        session.Signal(signal_number);
        session.Signal(SIGCONT);
      }
      const PtyExit end = session.WaitForExit();
      EXPECT_FALSE(end.timed_out);
      EXPECT_FALSE(end.exited);
      EXPECT_EQ(signal_number, end.status);
      EXPECT_TRUE(SameMode(expected, session.Mode()));
      EXPECT_EQ(left_for_the_shell, session.TakeUnreadInput());
    }
  }
}

TEST(KeyWait, StartedInTheBackgroundItStopsUntilInTheForegroundThenTakesItsKey) {
  PtySession session;
  const termios before = session.Mode();
  std::size_t prompt_end = 0;
  ASSERT_TRUE(StartInTheBackgroundThenBringForward(session, prompt_end));
  EXPECT_TRUE(session.StillRunningAfter(std::chrono::milliseconds{300}));
  session.Type("k");
  ExpectEndAfterTheKey(session, prompt_end, before);
}

TEST(KeyWait, EndsWhenTheTerminalCannotBeRead) {
  static const struct {
    const char* name;
    std::vector<int> ignored_signals;
    bool background;
    bool orphaned;
    bool hang_up;
  } kCases[] = {
      // A closed terminal window under nohup: the terminal hangs up.
      {"hung up, SIGHUP ignored", {SIGHUP}, false, false, true},
      // Reading there gives EIO again and again; with SIGTTOU ignored the
      // program sets the single-key mode from there first.
      {"in the background, SIGTTIN and SIGTTOU ignored", {SIGTTIN, SIGTTOU}, true, false, false},
      // Started as `(simeq &)`: no shell will ever bring it forward, and every
      // call that would stop it gives EIO instead.
      {"in an orphaned background process group", {}, true, true, false},
  };
  // It ends at once, not by trying again and again: it takes hardly more
  // processor time than a run with no terminal, where the wait never starts.
  const bool emulated = !EmulatorCommand().empty();
  const bool measured = kProcessorTimeIsMeaningful && !emulated;
  std::chrono::microseconds no_terminal{0};
  if (measured) {
    InputFile input;
    input.Append(kNoWalkthrough);
    no_terminal = RunInSurroundings(SIMEQ_BINARY, input, StandardOutputKind::kFile).processor_time;
  }
  for (const auto& c : kCases) {
    // The test adopts the orphaned program as a subreaper, which qemu-user,
    // running the test too, refuses to make it.
    if (c.orphaned && emulated) continue;
    SCOPED_TRACE(c.name);
    PtySession session;
    const termios before = session.Mode();
    StartOptions options;
    options.ignored_signals = c.ignored_signals;
    options.background = c.background;
    options.orphaned = c.orphaned;
    std::size_t prompt_end = 0;
    if (c.hang_up) {
      ASSERT_TRUE(StartAndReachKeyWait(session, kNoWalkthrough, prompt_end, options));
      session.HangUp();
    } else {
      ASSERT_TRUE(StartAndReachClosingPrompt(session, kNoWalkthrough, prompt_end, options));
    }
    const PtyExit end = session.WaitForExit();
    EXPECT_FALSE(end.timed_out);
    EXPECT_TRUE(end.exited);
    EXPECT_EQ(0, end.status);
    EXPECT_EQ("", session.output().substr(prompt_end));
    if (measured) {
      EXPECT_LT(end.processor_time - no_terminal, kFewMilliseconds)
          << "microseconds of processor time: " << end.processor_time.count() << " against "
          << no_terminal.count() << " with no terminal";
    }
    if (!c.hang_up) {
      EXPECT_TRUE(SameMode(before, session.Mode()));
    }
  }
}

TEST(KeyWait, EndsAtOnceWhereTheTerminalKeepsLineMode) {
  // A terminal whose line editing and echo are locked on accepts the switch
  // to single keys without making it; the wait must not read a line instead.
  PtySession session;
  const termios before = session.Mode();
  termios locked{};
  locked.c_lflag = ICANON | ECHO;
  if (!session.LockMode(locked)) GTEST_SKIP() << "locking a terminal's mode needs CAP_SYS_ADMIN";
  std::size_t prompt_end = 0;
  ASSERT_TRUE(StartAndReachClosingPrompt(session, kNoWalkthrough, prompt_end));
  const PtyExit end = session.WaitForExit();
  EXPECT_FALSE(end.timed_out) << "waited in line mode";
  EXPECT_TRUE(end.exited);
  EXPECT_EQ(0, end.status);
  EXPECT_EQ("", session.output().substr(prompt_end));
  EXPECT_TRUE(SameMode(before, session.Mode()));
}

TEST(KeyWait, SignalsTheCallerIgnoresLeaveItWaitingForTheKey) {
  // As under nohup, or from a parent that ignores Ctrl+C for its children.
  PtySession session;
  const termios before = session.Mode();
  StartOptions options;
  options.ignored_signals = {SIGHUP, SIGINT, SIGTERM, SIGQUIT};
  std::size_t prompt_end = 0;
  ASSERT_TRUE(StartAndReachKeyWait(session, kNoWalkthrough, prompt_end, options));

  for (const int signal_number : options.ignored_signals) session.Signal(signal_number);
  EXPECT_TRUE(session.StillRunningAfter(std::chrono::milliseconds{300}));
  EXPECT_EQ(0u, session.Mode().c_lflag & ICANON) << "back in line mode while still waiting";

  session.Type("k");
  const PtyExit end = session.WaitForExit();
  EXPECT_FALSE(end.timed_out);
  EXPECT_EQ(0, end.status);
  EXPECT_TRUE(SameMode(before, session.Mode()));
}

TEST(KeyWait, WaitsWhenStartedWithStandardInputClosed) {
  // Started as `simeq <&-`: the terminal opened for the wait is descriptor 0.
  PtySession session;
  session.Start(SIMEQ_BINARY, StandardInputFrom::kClosed);
  const std::size_t prompt_end = session.WaitForOutput(kClosingPrompt);
  ASSERT_NE(std::string::npos, prompt_end) << session.output();
  ASSERT_TRUE(session.WaitForSingleKeyMode()) << "ended without waiting";
  EXPECT_TRUE(session.StillRunningAfter(std::chrono::milliseconds{300}));

  session.Type("k");
  const PtyExit end = session.WaitForExit();
  EXPECT_FALSE(end.timed_out);
  EXPECT_EQ(0, end.status);
  EXPECT_EQ("", session.output().substr(prompt_end)) << "echoed";
}

}  // namespace
}  // namespace simeq::testing
