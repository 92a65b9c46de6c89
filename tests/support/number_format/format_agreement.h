#ifndef SIMEQ_TESTS_SUPPORT_NUMBER_FORMAT_FORMAT_AGREEMENT_H_
#define SIMEQ_TESTS_SUPPORT_NUMBER_FORMAT_FORMAT_AGREEMENT_H_

#include <cstdint>

namespace simeq::testing {

// Compares simeq::FormatNumber with ReferenceNumberFormat value by value,
// reporting each disagreement as a test failure (the first few only, so a
// broken format does not flood the log).
class FormatAgreement {
 public:
  // Checks one value.
  void Check(double value);
  // Checks `value` and its neighbours up to `ulps` steps either side.
  void CheckWithNeighbours(double value, int ulps);
  // Values checked so far.
  std::int64_t checked() const { return checked_; }

 private:
  static constexpr int kReportedFailures = 10;
  std::int64_t checked_ = 0;
  int failures_ = 0;
};

// A seeded stream of bit patterns: every other one uniform over all 2^64,
// the rest with exponents near 1 (about 1e-9 to 1e9) where both layouts and
// most real inputs lie.
class RandomDoubles {
 public:
  explicit RandomDoubles(std::uint64_t seed) : state_(seed) {}
  // The next pattern as a double.
  double Next();

 private:
  std::uint64_t state_;
  bool near_one_ = false;
};

}  // namespace simeq::testing

#endif  // SIMEQ_TESTS_SUPPORT_NUMBER_FORMAT_FORMAT_AGREEMENT_H_
