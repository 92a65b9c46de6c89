// The number reader: what each read takes from the typed text, what it
// leaves for the next, and how a failure ends all reading.

#include "dialogue/conventions/number_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dialogue/conventions/screen_writer.h"
#include "support/memory_streams.h"

namespace simeq {
namespace {

using namespace std::string_view_literals;

// A reader over `typed` handed out in `piece`-byte pieces, tied to a
// buffered writer. `log` gets every piece the writer hands on and, when
// `log_reads`, every request for input, in the order they happen.
struct Reader {
  Reader(std::string typed, std::size_t piece, bool log_reads = false)
      : text(std::move(typed)), source(text, {piece}, log_reads ? &log : nullptr) {}

  std::string text;
  std::vector<std::string> log;
  testing::MemorySink sink{&log};
  ScreenWriter out{sink, false};
  testing::MemorySource source;
  NumberReader in{source, out};
};

// One read and what it should give. On failure the target must keep the
// value it had.
struct Step {
  enum Kind { kInteger, kNumber } kind;
  bool ok;
  double value = 0.0;
};

constexpr Step Int(double value) { return {Step::kInteger, true, value}; }
constexpr Step Num(double value) { return {Step::kNumber, true, value}; }
constexpr Step IntFails() { return {Step::kInteger, false}; }
constexpr Step NumFails() { return {Step::kNumber, false}; }

struct Dialogue {
  std::string_view input;
  std::vector<Step> steps;
};

// Runs the reads of `dialogue` over its input handed out in `piece`-byte
// pieces, checking each result.
void RunDialogue(const Dialogue& dialogue, std::size_t piece) {
  Reader reader(std::string(dialogue.input), piece);
  NumberReader& in = reader.in;
  for (std::size_t i = 0; i < dialogue.steps.size(); ++i) {
    const Step& step = dialogue.steps[i];
    SCOPED_TRACE(::testing::Message()
                 << "input \"" << dialogue.input << "\", piece " << piece << ", read " << i + 1);
    constexpr std::int32_t kIntegerBefore = -99;
    constexpr double kNumberBefore = -0.25;
    if (step.kind == Step::kInteger) {
      std::int32_t target = kIntegerBefore;
      EXPECT_EQ(step.ok, in.ReadInteger(target));
      EXPECT_EQ(step.ok ? static_cast<std::int32_t>(step.value) : kIntegerBefore, target);
    } else {
      double target = kNumberBefore;
      EXPECT_EQ(step.ok, in.ReadNumber(target));
      EXPECT_EQ(step.ok ? step.value : kNumberBefore, target);
    }
    EXPECT_EQ(!step.ok, in.failed());
  }
}

// Each dialogue's input is fed whole, a byte at a time, and in pieces of
// two and three bytes, so that numbers and white space straddle refills.
void RunDialogues(const std::vector<Dialogue>& dialogues) {
  for (const Dialogue& dialogue : dialogues) {
    for (const std::size_t piece :
         {std::size_t{4096}, std::size_t{1}, std::size_t{2}, std::size_t{3}}) {
      RunDialogue(dialogue, piece);
    }
  }
}

TEST(NumberReader, LeavesWhatDoesNotContinueANumberForTheNextRead) {
  RunDialogues({
      {"2.5\n", {Int(2), Num(0.5), NumFails()}},
      {"0x5\n", {Int(0), IntFails()}},
      {"0x5\n", {Int(0), NumFails()}},
      {"1e5\n", {Int(1), NumFails()}},
      {"12 34\n56\n", {Int(12), Int(34), Num(56), NumFails()}},
      {"2 2 3 13 4 -1 5\n", {Int(2), Num(2), Num(3), Num(13), Num(4), Num(-1), Num(5), NumFails()}},
      {"-5-6\n", {Int(-5), Int(-6)}},
      {"3+4\n", {Num(3), Num(4)}},
      {"5.5.5\n", {Num(5.5), Num(0.5)}},
      {"1e5e5\n", {Num(1e5), NumFails()}},
      {"1.#INF\n", {Num(1), NumFails()}},
      {"7x8\n", {Num(7), NumFails()}},
      {"1E-2,3\n", {Num(0.01), NumFails()}},
  });
}

TEST(NumberReader, FailsOnMalformedOrOutOfRangeReplies) {
  RunDialogues({
      {"-\n5\n", {NumFails()}},
      {"+ 5\n", {IntFails()}},
      {"1e\n", {NumFails()}},
      {"1e+\n5\n", {NumFails()}},
      {"..5\n", {NumFails()}},
      {"abc\n", {IntFails()}},
      {"2147483647 2147483648\n", {Int(2147483647), IntFails()}},
      {"-2147483648 -2147483649\n", {Int(-2147483648.0), IntFails()}},
      {"1e308 1e309\n", {Num(1e308), NumFails()}},
      {"1e-310\n", {NumFails()}},
      {"\xff"
       "5\n",
       {IntFails()}},
  });
}

// After one failure every read fails, even where good text follows.
TEST(NumberReader, StaysFailedAfterAFailure) {
  RunDialogues({
      {"x 1 2 3\n", {NumFails(), NumFails(), IntFails(), NumFails()}},
      {"2147483648 5\n", {IntFails(), IntFails()}},
      {"1e400 5\n", {NumFails(), NumFails()}},
      {"1e 5\n", {NumFails(), NumFails()}},
      {"4 - 6\n", {Num(4), NumFails(), NumFails()}},
  });
}

TEST(NumberReader, SkipsTheSixWhiteSpaceCharactersAndBlankLines) {
  RunDialogues({
      {" \t\n\v\f\r8\n", {Int(8)}},
      {"\n\n\n   \n\t\n7\n", {Num(7)}},
      {"1\r\n2\r\n", {Num(1), Num(2), NumFails()}},
      {"\0"
       "5\n"sv,
       {IntFails()}},  // NUL is not white space
      {"5\0"
       "6\n"sv,
       {Int(5), IntFails()}},
      {"\xa0"
       "5\n",
       {NumFails()}},  // nor is a no-break space
  });
}

TEST(NumberReader, TreatsTheEndOfInputAsAFailureOnlyBeforeANumber) {
  RunDialogues({
      {"", {IntFails(), IntFails()}},
      {"", {NumFails()}},
      {"  \n\t\n", {NumFails()}},
      {"7", {Int(7), IntFails()}},  // stored, then the next read fails
      {"2.5", {Num(2.5), NumFails()}},
      {"3 ", {Num(3), NumFails()}},
      {"-", {IntFails()}},
      {"1e", {NumFails()}},
      {"1e-", {NumFails()}},
      {".", {NumFails()}},
      {"6\n", {Int(6), NumFails()}},
  });
}

// Runs one read over `text` that must fail, after writing a prompt, then
// checks that later reads neither ask for input nor empty the output.
void ExpectFailureIsFinal(std::string_view text, bool integer) {
  SCOPED_TRACE(text);
  Reader reader(std::string(text), 1);
  ScreenWriter& out = reader.out;
  NumberReader& in = reader.in;
  double number = 1.5;
  std::int32_t whole = 15;
  out.Text("first: ");
  ASSERT_FALSE(integer ? in.ReadInteger(whole) : in.ReadNumber(number));
  const std::size_t reads = reader.source.reads();
  const std::size_t handed_out = reader.source.position();

  out.Text("second: ");
  EXPECT_FALSE(in.ReadNumber(number));
  out.Text("third: ");
  EXPECT_FALSE(in.ReadInteger(whole));
  EXPECT_EQ(reads, reader.source.reads());
  EXPECT_EQ(handed_out, reader.source.position());
  EXPECT_EQ(std::vector<std::string>{"write first: "}, reader.log);
  EXPECT_EQ(1.5, number);
  EXPECT_EQ(15, whole);
  EXPECT_TRUE(in.failed());
}

TEST(NumberReader, AfterAFailureAsksForNoInputAndFlushesNothing) {
  const struct {
    std::string_view text;
    bool integer;
  } kCases[] = {
      {"x 1 2 3\n", false}, {"1e 5\n", false}, {"2147483648 5\n", true},
      {"- 5\n", true},      {"", false},       {"   \n", true},
  };
  for (const auto& c : kCases) ExpectFailureIsFinal(c.text, c.integer);
}

TEST(NumberReader, AfterTheInputEndsAsksForNoMore) {
  Reader reader("42", 1);
  double number = 0.0;
  ASSERT_TRUE(reader.in.ReadNumber(number));
  EXPECT_EQ(42.0, number);
  const std::size_t reads = reader.source.reads();  // the last one reported the end
  EXPECT_FALSE(reader.in.ReadNumber(number));
  EXPECT_FALSE(reader.in.ReadNumber(number));
  EXPECT_EQ(reads, reader.source.reads());
  EXPECT_EQ(42.0, number);
}

// The prompt written before a read is handed to the screen before the
// reader asks for input, and again before a read that needs no new input.
TEST(NumberReader, FlushesThePromptBeforeEachRead) {
  Reader reader("1 2\n", 4096, true);
  ScreenWriter& out = reader.out;
  NumberReader& in = reader.in;
  std::int32_t selection = 0;
  double number = 0.0;
  out.Text("menu --> ");
  ASSERT_TRUE(in.ReadInteger(selection));
  out.Text("A = ");
  ASSERT_TRUE(in.ReadNumber(number));
  out.Text("K = ");
  EXPECT_EQ((std::vector<std::string>{"write menu --> ", "read", "write A = "}), reader.log);
  EXPECT_EQ(1, selection);
  EXPECT_EQ(2.0, number);
}

}  // namespace
}  // namespace simeq
