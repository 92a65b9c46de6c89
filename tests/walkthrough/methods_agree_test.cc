// The two methods reach x and y by different arithmetic; for systems with a
// unique solution they must still show the same values.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <random>
#include <string>

#include "dialogue/conventions/dialogue.h"
#include "dialogue/program.h"
#include "support/memory_streams.h"

namespace simeq::testing {
namespace {

int NoKey() { return -1; }

// The whole screen for `input`, run in-process.
std::string Transcript(const std::string& input) {
  MemorySink sink;
  {
    MemorySource source(input);
    ScreenWriter out(sink, false);
    NumberReader in(source, out);
    Dialogue dialogue{out, in};
    RunProgram(dialogue, NoKey);
  }
  return sink.text();
}

// The text that follows `label` up to the end of its line.
std::string ValueAfter(const std::string& text, const std::string& label) {
  const std::size_t start = text.find(label);
  if (start == std::string::npos) return "<missing " + label + ">";
  const std::size_t from = start + label.size();
  return text.substr(from, text.find('\n', from) - from);
}

// True if n/d, written out in full, has exactly seven significant digits
// ending in 5: an exact tie for six-digit rounding, where the last-bit
// differences between the methods' arithmetic may round apart.
bool SeventhDigitTie(std::int64_t n, std::int64_t d) {
  const std::int64_t g = std::gcd(n, d);
  n = std::abs(n / g);
  d = std::abs(d / g);
  std::int64_t rest = d;
  int twos = 0, fives = 0;
  while (rest % 2 == 0) rest /= 2, ++twos;
  while (rest % 5 == 0) rest /= 5, ++fives;
  if (rest != 1) return false;  // the decimal expansion never ends
  std::int64_t scale = 1;
  for (int i = 0; i < std::max(twos, fives); ++i) scale *= 10;
  std::string digits = std::to_string(n * (scale / d));
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  return digits.size() == 7 && digits.back() == '5';
}

TEST(MethodsAgree, OnRandomSmallIntegerSystems) {
  std::mt19937 random(20261208);
  std::uniform_int_distribution<int> coefficient(-12, 12);
  int compared = 0;
  while (compared < 1500) {
    const int A = coefficient(random), K = coefficient(random), Y1 = coefficient(random);
    const int B = coefficient(random), Q = coefficient(random), Y2 = coefficient(random);
    const std::int64_t det = A * Q - B * K;
    if (det == 0 || A == 0) continue;  // elimination divides by A
    const std::int64_t det_x = Y1 * Q - Y2 * K;
    const std::int64_t det_y = A * Y2 - B * Y1;
    const std::string system = std::to_string(A) + " " + std::to_string(K) + " " +
                               std::to_string(Y1) + " " + std::to_string(B) + " " +
                               std::to_string(Q) + " " + std::to_string(Y2) + "\n";
    const std::string elimination = Transcript("2 " + system);
    const std::string matrix = Transcript("1 " + system);
    const std::string listed = " ............ Valued Derived Are Listed Below............ \n";
    const std::string after_list = elimination.substr(elimination.find(listed));
    const std::string x_elimination = ValueAfter(after_list, " --> x  = ");
    const std::string y_elimination = ValueAfter(after_list, " --> y =  ");
    const std::string x_matrix = ValueAfter(matrix, " The Value Of X ==> ");
    const std::string y_matrix = ValueAfter(matrix, " The Value Of Y ==> ");
    if (SeventhDigitTie(det_x, det) || SeventhDigitTie(det_y, det)) continue;
    // An exact 0 comes out of elimination as a rounding residue (such as
    // -1.77636e-016), not as 0: both are right for their arithmetic.
    if (det_x == 0 || det_y == 0) continue;
    EXPECT_EQ(x_matrix, x_elimination) << system;
    EXPECT_EQ(y_matrix, y_elimination) << system;
    EXPECT_NE(std::string::npos, x_matrix.find_first_of("0123456789")) << system;
    ++compared;
  }
}

}  // namespace
}  // namespace simeq::testing
