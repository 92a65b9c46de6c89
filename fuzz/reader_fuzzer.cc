// Reads arbitrary bytes as a run of integer and number reads, the kind of
// each read drawn from the first two bytes. Each read must either store a
// value that the text it took converts back to exactly, or fail and leave
// its target untouched; after a failure every read fails at once without
// flushing or reading. The same reads over input handed out in pieces of
// other sizes must give the same results.

#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "choices.h"
#include "dialogue/conventions/number_reader.h"
#include "dialogue/conventions/screen_writer.h"
#include "require.h"
#include "support/memory_streams.h"

namespace simeq::fuzz {
namespace {

using testing::MemorySink;
using testing::MemorySource;

constexpr int kMaxSteps = 64;
// A signalling NaN that no read can produce, and an unlikely integer.
constexpr std::uint64_t kNumberSentinel = 0x7ff4deadbeef0001ULL;
constexpr std::int32_t kIntegerSentinel = -0x5a5a5a5b;

// What one read did: success, and the bits of its target afterwards.
struct Step {
  bool ok;
  std::uint64_t bits;
  bool operator==(const Step&) const = default;
};

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The taken text without the white space skipped before it.
std::string_view Token(std::string_view taken) {
  while (!taken.empty() && IsSpace(taken.front())) taken.remove_prefix(1);
  for (const char c : taken) Require(!IsSpace(c), "white space inside a number");
  return taken;
}

// from_chars reads no leading "+", which the reader allows.
std::string_view WithoutPlus(std::string_view token) {
  if (!token.empty() && token.front() == '+') token.remove_prefix(1);
  return token;
}

bool IsNumberCharacter(char c, bool real) {
  if ((c >= '0' && c <= '9') || c == '+' || c == '-') return true;
  return real && (c == '.' || c == 'e' || c == 'E');
}

// A value the reader must accept: finite, and zero or at least the smallest
// normal double in magnitude.
bool IsStorable(double value) {
  return std::isfinite(value) &&
         (value == 0.0 || std::fabs(value) >= std::numeric_limits<double>::min());
}

// Checks a number read against the text it took.
void CheckNumber(std::string_view token, bool ok, double value) {
  for (const char c : token) Require(IsNumberCharacter(c, true), "odd character taken");
  const std::string_view text = WithoutPlus(token);
  double parsed = 0.0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
  const bool whole = result.ec == std::errc() && result.ptr == text.data() + text.size();
  if (ok) {
    Require(!token.empty(), "a number stored from no text");
    Require(whole, "a stored number whose text does not convert");
    Require(std::bit_cast<std::uint64_t>(parsed) == std::bit_cast<std::uint64_t>(value),
            "a stored number differs from its text");
    Require(IsStorable(value), "an infinite or too small number stored");
  } else {
    Require(!(whole && IsStorable(parsed)), "a good number refused");
  }
}

// Checks an integer read against the text it took.
void CheckInteger(std::string_view token, bool ok, std::int32_t value) {
  for (const char c : token) Require(IsNumberCharacter(c, false), "odd character taken");
  const std::string_view text = WithoutPlus(token);
  std::int32_t parsed = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
  const bool whole = result.ec == std::errc() && result.ptr == text.data() + text.size();
  if (ok) {
    Require(whole && parsed == value, "a stored integer differs from its text");
  } else {
    Require(!whole, "a good integer refused");
  }
}

// Runs the reads over `input` handed out `pieces` at a time. With single
// bytes the text each read took is known and checked.
std::vector<Step> ReadAll(std::string_view input, const std::vector<bool>& integer_steps,
                          std::vector<std::size_t> pieces, std::string* written) {
  const bool checked = pieces.size() == 1 && pieces[0] == 1;
  MemorySource source(input, std::move(pieces));
  MemorySink sink;
  std::vector<Step> steps;
  {
    ScreenWriter out(sink, false);
    NumberReader in(source, out);
    std::size_t taken_until = 0;  // input taken by the reads so far
    std::size_t pending = 0;      // bytes written to `out` so far
    for (const bool integer : integer_steps) {
      const bool was_failed = in.failed();
      const std::size_t reads_before = source.reads();
      const std::size_t sink_before = sink.text().size();
      out.Text("?");
      ++pending;

      Step step{};
      std::int32_t whole = kIntegerSentinel;
      double real = std::bit_cast<double>(kNumberSentinel);
      step.ok = integer ? in.ReadInteger(whole) : in.ReadNumber(real);
      step.bits = integer ? static_cast<std::uint32_t>(whole) : std::bit_cast<std::uint64_t>(real);
      steps.push_back(step);

      Require(in.failed() == !step.ok, "failed() disagrees with the result");
      if (!step.ok) {
        Require(integer ? whole == kIntegerSentinel
                        : std::bit_cast<std::uint64_t>(real) == kNumberSentinel,
                "a failed read changed its target");
      }
      if (was_failed) {
        Require(!step.ok, "a read after a failure succeeded");
        Require(source.reads() == reads_before, "a read after a failure read input");
        Require(sink.text().size() == sink_before, "a read after a failure flushed");
        continue;
      }
      if (step.ok) Require(sink.text().size() == pending, "a read did not flush first");
      if (!checked) continue;

      // One byte is handed out at a time, so all that was handed out has been
      // taken, except the byte that stopped the read when the input goes on.
      const std::size_t taken =
          source.position() - (source.reported_end() || source.position() == 0 ? 0 : 1);
      Require(taken >= taken_until, "the reader went backwards");
      const std::string_view token = Token(input.substr(taken_until, taken - taken_until));
      taken_until = taken;
      if (integer) {
        CheckInteger(token, step.ok, whole);
      } else {
        CheckNumber(token, step.ok, real);
      }
      if (step.ok) Require(!token.empty(), "nothing taken by a read that succeeded");
    }
  }
  *written = sink.text();
  return steps;
}

}  // namespace
}  // namespace simeq::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace simeq::fuzz;
  if (size < 2) return 0;
  Choices choices(static_cast<std::uint64_t>(data[0]) | static_cast<std::uint64_t>(data[1]) << 8);
  const std::string_view input(reinterpret_cast<const char*>(data + 2), size - 2);

  // Mostly number reads, as in the program; one in four an integer read.
  std::vector<bool> integer_steps;
  const int steps = 1 + static_cast<int>(choices.Next() % kMaxSteps);
  for (int i = 0; i < steps; ++i) integer_steps.push_back(choices.Next() % 4 == 0);

  // Pieces of a few bytes, or about one reader block, so that a number is
  // cut at every kind of place.
  std::vector<std::size_t> pieces;
  for (int i = 0; i < 8; ++i) {
    const std::uint64_t r = choices.Next();
    pieces.push_back(r % 2 == 0 ? 1 + (r >> 8) % 8 : 4090 + (r >> 8) % 12);
  }

  std::string one_by_one;
  std::string in_pieces;
  std::string whole;
  const auto a = ReadAll(input, integer_steps, {1}, &one_by_one);
  const auto b = ReadAll(input, integer_steps, pieces, &in_pieces);
  const auto c = ReadAll(input, integer_steps, {}, &whole);
  Require(a == b && b == c, "the results depend on how the input is cut");
  Require(one_by_one == in_pieces && in_pieces == whole,
          "the flushes depend on how the input is cut");
  return 0;
}
