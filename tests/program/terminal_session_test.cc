// A whole session typed at a terminal, as a user would: the terminal is the
// program's standard input as well as its screen and its key.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "support/process/pty_session.h"
#include "support/process/run_binary.h"

namespace simeq::testing {
namespace {

// Each prompt, and the reply typed at it followed by Enter.
constexpr struct {
  std::string_view prompt;
  std::string_view reply;
} kDialogue[] = {
    {" Enter Value For Program's Selection Between '1 And 2' --> ", "2\r"},
    {" Enter The Value For A ; = ", "2\r"},
    {" Enter The Value For K ; = ", "3\r"},
    {" Enter The Value For Y1 ; = ", "13\r"},
    {" Enter The Value For B ; = ", "4\r"},
    {" Enter The Value For Q ; = ", "-1\r"},
    {" Enter The Value For Y2 ; = ", "5\r"},
};

TEST(TerminalSession, EliminationTypedAtTheTerminal) {
  PtySession session;
  session.Start(SIMEQ_BINARY, StandardInputFrom::kTerminal);
  std::size_t position = 0;
  for (const auto& step : kDialogue) {
    position = session.WaitForOutput(step.prompt, position);
    ASSERT_NE(std::string::npos, position) << step.prompt << "\nnot in:\n" << session.output();
    session.Type(step.reply);
  }

  // The closing prompt also stands in the middle of the working; the wait
  // follows only the one after the checking stage. A key typed before the
  // wait would be discarded, so type it once the terminal takes single keys.
  position = session.WaitForOutput(" Valued Derived Are Given Above", position);
  ASSERT_NE(std::string::npos, position) << session.output();
  position = session.WaitForOutput(" ........Press Any Key To Continue........ \r\n", position);
  ASSERT_NE(std::string::npos, position) << session.output();
  ASSERT_TRUE(session.WaitForSingleKeyMode());
  session.Type(" ");

  const PtyExit end = session.WaitForExit();
  EXPECT_FALSE(end.timed_out);
  EXPECT_TRUE(end.exited);
  EXPECT_EQ(0, end.status);
  EXPECT_NE(std::string::npos, session.output().find(" ............ Valued Derived Are Listed "
                                                     "Below............ \r\n"
                                                     " --> x  = 2\r\n"
                                                     " --> y =  3\r\n"))
      << session.output();
  EXPECT_EQ(position, session.output().size()) << "written after the key";
}

TEST(TerminalSession, OutputThatIsNoTerminalGoesInWholeLinesAndPromptsBeforeTheKey) {
  // As in `simeq | tee log` typed at the terminal: standard output is no
  // console, so it is written in blocks handed over at the end of each line
  // and before each read, never a piece at a time; the closing prompt must
  // be there before the key is pressed.
  PtySession session;
  StartOptions options;
  options.output = StandardOutputTo::kPacketSocket;
  session.Start(SIMEQ_BINARY, StandardInputFrom::kTerminal, options);
  std::size_t position = 0;
  for (const auto& step : kDialogue) {
    position = session.WaitForSocketOutput(step.prompt, position);
    ASSERT_NE(std::string::npos, position) << step.prompt << "\nnot in:\n" << session.output();
    session.Type(step.reply);
  }
  position = session.WaitForSocketOutput(" Valued Derived Are Given Above", position);
  ASSERT_NE(std::string::npos, position);
  position = session.WaitForSocketOutput(" ........Press Any Key To Continue........ \n", position);
  ASSERT_NE(std::string::npos, position) << "the closing prompt is held back";
  ASSERT_TRUE(session.WaitForSingleKeyMode());
  session.Type(" ");

  const PtyExit end = session.WaitForExit();
  EXPECT_FALSE(end.timed_out);
  EXPECT_EQ(0, end.status);
  std::string all;
  for (const std::string& packet : session.packets()) {
    EXPECT_TRUE(packet.ends_with("\n") || packet.ends_with(kDialogue[0].prompt))
        << "a write() that ends inside a line: \"" << packet << "\"";
    all += packet;
  }
  EXPECT_EQ(ReadFile(std::string(SIMEQ_TRANSCRIPTS) + "/elimination_basic.out"), all);
}

}  // namespace
}  // namespace simeq::testing
