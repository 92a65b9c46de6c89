// Throughput of the screen number format against the C library's "%.6g" and
// std::to_chars in general format with precision 6, all on the same seeded
// doubles of mixed magnitude and sign.

#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <random>
#include <vector>

#include "dialogue/conventions/number_format.h"

namespace {

constexpr std::size_t kValueCount = 4096;  // a power of two, for the index mask

// Mantissas in [1, 10) times powers of ten from 1e-12 to 1e12, half of them
// negative: plain and exponent forms, rounding up and down.
const std::vector<double>& Values() {
  static const std::vector<double> values = [] {
    std::mt19937_64 random(20240611);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> exponent(-12, 12);
    std::vector<double> drawn(kValueCount);
    for (double& value : drawn) {
      value = mantissa(random) * std::pow(10.0, exponent(random));
      if ((random() & 1) != 0) value = -value;
    }
    return drawn;
  }();
  return values;
}

// Formats one value per iteration with `format(value, buffer)`.
template <typename Format>
void Run(benchmark::State& state, Format format) {
  const std::vector<double>& values = Values();
  char buffer[64];
  std::size_t next = 0;
  for (auto _ : state) {
    const std::size_t length = format(values[next++ & (kValueCount - 1)], buffer);
    benchmark::DoNotOptimize(length);
    benchmark::DoNotOptimize(buffer);
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_FormatNumber(benchmark::State& state) {
  Run(state, [](double value, char* buffer) { return simeq::FormatNumber(value, buffer); });
}
BENCHMARK(BM_FormatNumber);

void BM_Snprintf(benchmark::State& state) {
  Run(state, [](double value, char* buffer) {
    return static_cast<std::size_t>(std::snprintf(buffer, 64, "%.6g", value));
  });
}
BENCHMARK(BM_Snprintf);

void BM_ToChars(benchmark::State& state) {
  Run(state, [](double value, char* buffer) {
    const auto result = std::to_chars(buffer, buffer + 64, value, std::chars_format::general, 6);
    return static_cast<std::size_t>(result.ptr - buffer);
  });
}
BENCHMARK(BM_ToChars);

}  // namespace

BENCHMARK_MAIN();
