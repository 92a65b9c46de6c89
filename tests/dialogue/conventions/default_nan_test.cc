// Every NaN is written as the default NaN; everything else is left alone,
// to the last bit.

#include "dialogue/conventions/default_nan.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "dialogue/conventions/bit_cast.h"
#include "dialogue/conventions/number_format.h"
#include "dialogue/conventions/screen_writer.h"
#include "support/memory_streams.h"

namespace simeq {
namespace {

constexpr std::uint64_t kDefaultNaNBits = 0xFFF8000000000000;

TEST(DefaultNaN, EveryNaNBecomesTheDefaultNaNAndNothingElseChanges) {
  const struct {
    std::uint64_t in;
    std::uint64_t out;
  } kCases[] = {
      {0xFFF8000000000000, kDefaultNaNBits},     // already the default NaN
      {0x7FF8000000000000, kDefaultNaNBits},     // what ARM64 and RISC-V make
      {0x7FF8000000000001, kDefaultNaNBits},     // positive, with a payload
      {0xFFFC000000000000, kDefaultNaNBits},     // negative, with a payload
      {0x7FFFFFFFFFFFFFFF, kDefaultNaNBits},     // every payload bit set
      {0xFFF0000000000001, kDefaultNaNBits},     // signalling, negative
      {0x7FF4000000000000, kDefaultNaNBits},     // signalling, positive
      {0x7FF0000000000000, 0x7FF0000000000000},  // infinities stay
      {0xFFF0000000000000, 0xFFF0000000000000},
      {0x8000000000000000, 0x8000000000000000},  // so does -0
      {0x0000000000000001, 0x0000000000000001},  // and the smallest denormal
      {0xC00921FB54442D18, 0xC00921FB54442D18},  // and -pi
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(c.out, simeq::bit_cast<std::uint64_t>(WithDefaultNaN(simeq::bit_cast<double>(c.in))))
        << std::hex << c.in;
  }
}

TEST(DefaultNaN, TheScreenWriterShowsAnyNaNAsTheDefaultNaN) {
  // FormatNumber tells NaNs apart; the screens never do.
  const double positive_nan = simeq::bit_cast<double>(std::uint64_t{0x7FF8000000000000});
  ASSERT_EQ("1.#QNAN", FormatNumber(positive_nan));
  testing::MemorySink sink;
  {
    ScreenWriter out(sink, false);
    out << positive_nan << "x";
  }
  EXPECT_EQ("-1.#INDx", sink.text());
}

}  // namespace
}  // namespace simeq
