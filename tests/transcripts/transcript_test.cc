// Each NAME.in in this folder is fed to the program as standard input, and
// what it writes must equal NAME.out byte for byte. The expected files were
// worked out by hand, line by line, never copied from the program's output.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/run_binary.h"

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

class TranscriptTest : public ::testing::TestWithParam<std::string> {};

TEST_P(TranscriptTest, OutputMatchesByteForByte) {
  const std::string base = std::string(SIMEQ_TRANSCRIPTS) + "/" + GetParam();
  const RunResult run = RunWithoutTerminal(SIMEQ_BINARY, ReadFile(base + ".in"));
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(ReadFile(base + ".out"), run.out);
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
