// When the screen writer hands bytes on: at once on a console, otherwise in
// blocks of 4096 bytes, at the end of a line, before a read and at the end.

#include "dialogue/conventions/screen_writer.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "support/memory_streams.h"

namespace simeq {
namespace {

using testing::MemorySink;
using Pieces = std::vector<std::string>;

TEST(ScreenWriter, OnAConsoleHandsOnEveryPieceAsItIsWritten) {
  MemorySink sink;
  {
    ScreenWriter out(sink, true);
    out.Text(" --> x  = ");
    EXPECT_EQ(Pieces{" --> x  = "}, sink.pieces());
    out.Number(-2.5);
    EXPECT_EQ((Pieces{" --> x  = ", "-2.5"}), sink.pieces());
    out.Text("a\nb");
    out.EndLine();
    EXPECT_EQ((Pieces{" --> x  = ", "-2.5", "a\nb", "\n"}), sink.pieces());
    out.Text(std::string(5000, 'z'));
    EXPECT_EQ((std::vector<std::size_t>{10, 4, 3, 1, 5000}), sink.piece_sizes());
    out.Flush();
  }
  EXPECT_EQ(5u, sink.pieces().size());  // nothing was held back
}

TEST(ScreenWriter, OtherwiseGathersUntilTheLineEnds) {
  MemorySink sink;
  ScreenWriter out(sink, false);
  out << "Eq-1: " << 2.0 << "x + " << 1e6 << "y = " << 1.0 / 3.0;
  out.Text("\n next line\n");  // a newline inside a text does not hand over
  EXPECT_TRUE(sink.pieces().empty());
  out << endl;
  EXPECT_EQ(Pieces{"Eq-1: 2x + 1e+006y = 0.333333\n next line\n\n"}, sink.pieces());
  out.Text("prompt --> ");
  EXPECT_EQ(1u, sink.pieces().size());
  out.Flush();
  EXPECT_EQ((Pieces{"Eq-1: 2x + 1e+006y = 0.333333\n next line\n\n", "prompt --> "}),
            sink.pieces());
}

TEST(ScreenWriter, HandsOverWhatIsLeftWhenItEnds) {
  MemorySink sink;
  {
    ScreenWriter out(sink, false);
    out.Text("Press Any Key");
    out.Number(7.0);
    EXPECT_TRUE(sink.pieces().empty());
  }
  EXPECT_EQ(Pieces{"Press Any Key7"}, sink.pieces());
}

// Texts of the given sizes are written one after another, then the writer
// is flushed: the sink must see full 4096-byte blocks the moment each fills,
// then the rest.
TEST(ScreenWriter, HandsOverABlockExactlyWhen4096BytesAreGathered) {
  const struct {
    std::vector<std::size_t> texts;
    std::vector<std::size_t> before_flush;
    std::vector<std::size_t> after_flush;
  } kCases[] = {
      {{4095}, {}, {4095}},
      {{4096}, {4096}, {4096}},
      {{4095, 1}, {4096}, {4096}},
      {{4095, 2}, {4096}, {4096, 1}},
      {{4097}, {4096}, {4096, 1}},
      {{1, 8191}, {4096, 4096}, {4096, 4096}},
      {{10000}, {4096, 4096}, {4096, 4096, 1808}},
      {std::vector<std::size_t>(41, 100), {4096}, {4096, 4}},
      {{0, 0}, {}, {}},
  };
  for (const auto& c : kCases) {
    MemorySink sink;
    ScreenWriter out(sink, false);
    std::string written;
    char next = 'a';
    for (const std::size_t size : c.texts) {
      const std::string text(size, next);
      next = next == 'z' ? 'a' : static_cast<char>(next + 1);
      out.Text(text);
      written += text;
    }
    EXPECT_EQ(c.before_flush, sink.piece_sizes()) << "first text " << c.texts.front();
    out.Flush();
    EXPECT_EQ(c.after_flush, sink.piece_sizes()) << "first text " << c.texts.front();
    EXPECT_EQ(written, sink.text());
  }
}

TEST(ScreenWriter, EndLineHandsOverAPartBlockAndFlushingTwiceAddsNothing) {
  MemorySink sink;
  ScreenWriter out(sink, false);
  out.Text(std::string(4095, 'a'));
  out.EndLine();  // the newline fills the block exactly
  out.Text("b");
  out.EndLine();
  out.Flush();
  out.Flush();
  EXPECT_EQ((std::vector<std::size_t>{4096, 2}), sink.piece_sizes());
  EXPECT_EQ("b\n", sink.pieces().back());
}

}  // namespace
}  // namespace simeq
