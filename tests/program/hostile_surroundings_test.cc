// The real program in surroundings that try to break it: standard output
// that cannot be written, numbers ten million digits long, a mebibyte of
// garbage, and input that ends at every prompt. Every run is in a new
// session with no terminal and a timeout; each must end with status 0 and
// nothing on standard error.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "support/process/run_binary.h"

namespace simeq::testing {
namespace {

constexpr char kClosingPrompt[] = " ........Press Any Key To Continue........ \n";
constexpr char kLastPrompt[] = " Enter The Value For Y2 ; = \n";
constexpr std::size_t kTenMillion = 10'000'000;

// AddressSanitizer's shadow memory and quarantine would count in the peak;
// the memory bound is checked on the plain build only.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kPeakMemoryIsMeaningful = false;
#else
constexpr bool kPeakMemoryIsMeaningful = true;
#endif
constexpr long kPeakMemoryLimitKib = 64 * 1024;

// The run ended normally, quietly and with the closing prompt last.
void ExpectCleanEnd(const MeasuredRun& measured, const std::string& what) {
  EXPECT_EQ(0, measured.run.status) << what;
  EXPECT_EQ("", measured.run.err) << what;
  EXPECT_TRUE(measured.run.out.ends_with(kClosingPrompt))
      << what << ": output ends with \""
      << measured.run.out.substr(measured.run.out.size() -
                                 std::min<std::size_t>(measured.run.out.size(), 200))
      << "\"";
}

TEST(HostileSurroundings, StandardOutputThatCannotBeWrittenIsNoFailure) {
  // Whole runs by both methods write far more than one block, so every kind
  // of write meets the broken output, again and again.
  const struct {
    const char* name;
    StandardOutputKind output;
  } kOutputs[] = {
      {"closed pipe", StandardOutputKind::kClosedPipe},
      {"/dev/full", StandardOutputKind::kFullDevice},
      {"closed descriptor 1", StandardOutputKind::kClosed},
  };
  for (const auto& o : kOutputs) {
    for (const char* typed : {"1 1 2 3 4 5 6\n", "2 1 2 3 4 5 6\n", "x\n", ""}) {
      InputFile input;
      input.Append(typed);
      const MeasuredRun measured = RunInSurroundings(SIMEQ_BINARY, input, o.output);
      EXPECT_EQ(0, measured.run.status) << o.name << ", input \"" << typed << "\"";
      EXPECT_EQ("", measured.run.err) << o.name << ", input \"" << typed << "\"";
    }
  }
}

TEST(HostileSurroundings, AFullNonBlockingPipeLosesNothing) {
  // Another program made the shared pipe non-blocking and it is full when
  // the program starts: each write meets EAGAIN until the reader drains it.
  // Meanwhile the program waits: it takes hardly more processor time than
  // the same run into a file, far less than the reader's pause.
  for (const char* name : {"elimination_basic", "matrix_large_values"}) {
    const std::string base = std::string(SIMEQ_TRANSCRIPTS) + "/" + name;
    InputFile input;
    input.Append(ReadFile(base + ".in"));
    const MeasuredRun measured =
        RunInSurroundings(SIMEQ_BINARY, input, StandardOutputKind::kFullNonBlockingPipe);
    EXPECT_EQ(0, measured.run.status) << name;
    EXPECT_EQ("", measured.run.err) << name;
    EXPECT_EQ(ReadFile(base + ".out"), measured.run.out) << name;
    const MeasuredRun into_file = RunInSurroundings(SIMEQ_BINARY, input, StandardOutputKind::kFile);
    const std::chrono::microseconds waiting = measured.processor_time - into_file.processor_time;
    EXPECT_LT(waiting.count(), std::chrono::microseconds(kFullPipeReaderPause / 4).count())
        << name << ": microseconds of processor time spent on the full pipe";
  }
}

TEST(HostileSurroundings, TenMillionDigitNumbersReadExactlyInLittleMemory) {
  // Menu 1, then one huge coefficient A; the input ends there, so the
  // system echo shows A with zeros for the rest.
  const struct {
    const char* name;
    const char* before;  // text before the run of digits
    char digit;
    const char* after;  // text after it
    const char* shown;  // A as the screen writes it
  } kCases[] = {
      {"a one and ten million zeros", "1", '0', "e-9999990", "1e+010"},
      {"ten million zeros after the point", "0.", '0', "1234567e10000000", "0.123457"},
      {"ten million threes", "", '3', "e-9999999", "3.33333"},
      {"ten million nines rounding to one", "-", '9', "e-10000000", "-1"},
      {"ten million leading zeros", "", '0', "42.5", "42.5"},
      {"an exponent with ten million leading zeros", "1e", '0', "5", "100000"},
      {"a negative one likewise", "1e-", '0', "5", "1e-005"},
  };
  for (const auto& c : kCases) {
    InputFile input;
    input.Append("1\n").Append(c.before).Repeat(c.digit, kTenMillion).Append(c.after).Append("\n");
    const MeasuredRun measured = RunInSurroundings(SIMEQ_BINARY, input, StandardOutputKind::kFile);
    ExpectCleanEnd(measured, c.name);
    const std::string echo = std::string("\n") + c.shown + "x + 0y =  0 Eq - 1\n";
    EXPECT_NE(std::string::npos, measured.run.out.find(echo)) << c.name << ": no line " << echo;
    if (kPeakMemoryIsMeaningful) {
      EXPECT_LT(measured.peak_memory_kib, kPeakMemoryLimitKib) << c.name;
    }
    std::cout << "[ peak     ] " << c.name << ": " << measured.peak_memory_kib << " KiB\n";
  }
}

TEST(HostileSurroundings, TenMillionDigitMenuChoices) {
  // Leading zeros do not change the integer; a huge one is out of range and
  // selects nothing.
  const struct {
    const char* name;
    char digit;
    const char* after;
    bool walkthrough_runs;
  } kCases[] = {
      {"2 after ten million zeros", '0', "2 1 2 3 4 5 6\n", true},
      {"ten million ones", '1', " 1 2 3 4 5 6\n", false},
  };
  for (const auto& c : kCases) {
    InputFile input;
    input.Repeat(c.digit, kTenMillion).Append(c.after);
    const MeasuredRun measured = RunInSurroundings(SIMEQ_BINARY, input, StandardOutputKind::kFile);
    ExpectCleanEnd(measured, c.name);
    EXPECT_EQ(c.walkthrough_runs, measured.run.out.find(kLastPrompt) != std::string::npos)
        << c.name;
    if (kPeakMemoryIsMeaningful) {
      EXPECT_LT(measured.peak_memory_kib, kPeakMemoryLimitKib) << c.name;
    }
  }
}

TEST(HostileSurroundings, AMebibyteOfGarbageEndsCleanly) {
  std::mt19937_64 random(20240607);
  std::string noise(1 << 20, '\0');
  for (char& byte : noise) byte = static_cast<char>(random() & 0xff);
  const struct {
    const char* name;
    std::string bytes;
  } kGarbage[] = {{"random bytes", noise}, {"NUL bytes", std::string(1 << 20, '\0')}};
  for (const char* menu : {"", "1 ", "2 ", "2 1 2 "}) {
    for (const auto& garbage : kGarbage) {
      InputFile input;
      input.Append(menu).Append(garbage.bytes);
      ExpectCleanEnd(RunInSurroundings(SIMEQ_BINARY, input, StandardOutputKind::kFile),
                     std::string(garbage.name) + " after \"" + menu + "\"");
    }
  }
}

TEST(HostileSurroundings, EndOfInputAtEveryPrompt) {
  // The whole input, cut after each number, with and without a final
  // newline: every prompt is still written, the numbers read so far are
  // echoed and the rest stay 0.
  const std::vector<std::string> coefficients = {"1.5", "-2", "3", "4", "5e3", "6"};
  const std::vector<std::string> shown = {"1.5", "-2", "3", "4", "5000", "6"};
  for (const char* menu : {"1", "2"}) {
    for (std::size_t read = 0; read <= coefficients.size(); ++read) {
      std::string typed = menu;
      std::vector<std::string> echo(6, "0");
      for (std::size_t i = 0; i < read; ++i) {
        typed += " " + coefficients[i];
        echo[i] = shown[i];
      }
      const std::string eq1 = "\n" + echo[0] + "x + " + echo[1] + "y =  " + echo[2] + " Eq - 1\n";
      const std::string eq2 = echo[3] + "x + " + echo[4] + "y =  " + echo[5] + " Eq - 2\n";
      for (const char* ending : {"", "\n"}) {
        InputFile input;
        input.Append(typed + ending);
        const MeasuredRun measured =
            RunInSurroundings(SIMEQ_BINARY, input, StandardOutputKind::kFile);
        const std::string what = "menu " + std::string(menu) + " with " + std::to_string(read) +
                                 " numbers" + (*ending ? " and a newline" : "");
        ExpectCleanEnd(measured, what);
        EXPECT_NE(std::string::npos, measured.run.out.find(kLastPrompt)) << what;
        EXPECT_NE(std::string::npos, measured.run.out.find(eq1 + eq2))
            << what << ": no echo " << eq1 << eq2;
      }
    }
  }
  // No menu choice at all: nothing but the banner, menu and closing prompt.
  InputFile empty;
  const MeasuredRun measured = RunInSurroundings(SIMEQ_BINARY, empty, StandardOutputKind::kFile);
  ExpectCleanEnd(measured, "empty input");
  EXPECT_EQ(std::string::npos, measured.run.out.find("Enter The Value"));
}

}  // namespace
}  // namespace simeq::testing
