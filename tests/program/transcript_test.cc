// Each NAME.in in tests/transcripts/ is fed to the program as standard input,
// and what it writes must equal NAME.out byte for byte. The expected files were
// worked out by hand, line by line, never copied from the program's output. A
// failure shows only the first line that differs, its trailing blanks and its
// end made visible, since the whole output would invite copying it.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "support/process/run_binary.h"

namespace simeq::testing {
namespace {

std::vector<std::string> TranscriptNames() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(SIMEQ_TRANSCRIPTS)) {
    if (entry.path().extension() == ".in") names.push_back(entry.path().stem());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// One line of a screen as a failure shows it, `piece` running from the
// line's start to its newline or to the end of the output: each blank at the
// end as "·", a carriage return as "^M" and the newline as "$", as cat -A does.
std::string Visible(std::string_view piece) {
  const bool ended = !piece.empty() && piece.back() == '\n';
  if (ended) piece.remove_suffix(1);
  const std::size_t last = piece.find_last_not_of(" \r");
  const std::size_t trailing = last == std::string_view::npos ? 0 : last + 1;
  std::string shown = "'";
  for (std::size_t i = 0; i < piece.size(); ++i) {
    if (piece[i] == '\r') {
      shown += "^M";
    } else if (piece[i] == ' ' && i >= trailing) {
      shown += "·";
    } else {
      shown += piece[i];
    }
  }
  return shown + (ended ? "$'" : "' (no newline: it ends here)");
}

// Where `actual` first departs from `expected`: the line and column, and that
// line as each of them has it.
std::string FirstDifference(std::string_view expected, std::string_view actual) {
  const auto differ =
      std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end()).first;
  const std::string_view before(expected.begin(), differ);
  const std::size_t start = before.rfind('\n') + 1;  // npos + 1 is 0: the first line
  const auto line = [start](std::string_view screen) {
    if (start == screen.size()) return std::string("nothing: it has ended before this line");
    const std::size_t end = screen.find('\n', start);
    return Visible(screen.substr(start, end == std::string_view::npos ? end : end + 1 - start));
  };
  return "differs first on line " +
         std::to_string(std::count(before.begin(), before.end(), '\n') + 1) + ", column " +
         std::to_string(before.size() - start + 1) +
         " (· is a blank at the end of the line, $ its end):\n  expected: " + line(expected) +
         "\n  actual:   " + line(actual);
}

class TranscriptTest : public ::testing::TestWithParam<std::string> {};

TEST_P(TranscriptTest, OutputMatchesByteForByte) {
  const std::string base = std::string(SIMEQ_TRANSCRIPTS) + "/" + GetParam();
  const RunResult run = RunWithoutTerminal(SIMEQ_BINARY, ReadFile(base + ".in"));
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  const std::string expected = ReadFile(base + ".out");
  if (run.out != expected) {
    ADD_FAILURE() << GetParam() << ".out: the output " << FirstDifference(expected, run.out);
  }
}

INSTANTIATE_TEST_SUITE_P(Golden, TranscriptTest, ::testing::ValuesIn(TranscriptNames()),
                         [](const auto& test) { return test.param; });

TEST(TranscriptFolder, HoldsAnExpectedOutputForEveryInput) {
  const std::vector<std::string> names = TranscriptNames();
  EXPECT_GE(names.size(), 20u);
  for (const std::string& name : names) {
    EXPECT_TRUE(std::filesystem::exists(std::string(SIMEQ_TRANSCRIPTS) + "/" + name + ".out"))
        << name;
  }
}

}  // namespace
}  // namespace simeq::testing
