#include "support/number_format/exact_decimal.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>

#include "dialogue/conventions/bit_cast.h"

namespace simeq::testing {
namespace {

// An unsigned integer of up to 96 x 32 bits, least significant limb first.
// m x 5^1074 (the smallest subnormal's expansion) needs about 2550 bits.
class BigInteger {
 public:
  explicit BigInteger(std::uint64_t value) {
    limbs_[0] = static_cast<std::uint32_t>(value);
    limbs_[1] = static_cast<std::uint32_t>(value >> 32);
    size_ = limbs_[1] != 0 ? 2 : 1;
  }

  void MultiplyBy(std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < size_; ++i) {
      const std::uint64_t product = std::uint64_t{limbs_[i]} * factor + carry;
      limbs_[i] = static_cast<std::uint32_t>(product);
      carry = product >> 32;
    }
    if (carry != 0) Push(static_cast<std::uint32_t>(carry));
  }

  void ShiftLeft(int bits) {
    const auto whole = static_cast<std::size_t>(bits / 32);
    const int rest = bits % 32;
    if (rest != 0) {
      std::uint32_t carry = 0;
      for (std::size_t i = 0; i < size_; ++i) {
        const std::uint32_t limb = limbs_[i];
        limbs_[i] = (limb << rest) | carry;
        carry = limb >> (32 - rest);
      }
      if (carry != 0) Push(carry);
    }
    if (whole != 0) {
      if (size_ + whole > kLimbs) throw std::length_error("BigInteger overflow");
      for (std::size_t i = size_; i-- > 0;) limbs_[i + whole] = limbs_[i];
      for (std::size_t i = 0; i < whole; ++i) limbs_[i] = 0;
      size_ += whole;
    }
  }

  // Divides by `divisor` in place and returns the remainder.
  std::uint32_t DivideBy(std::uint32_t divisor) {
    std::uint64_t remainder = 0;
    for (std::size_t i = size_; i-- > 0;) {
      const std::uint64_t current = (remainder << 32) | limbs_[i];
      limbs_[i] = static_cast<std::uint32_t>(current / divisor);
      remainder = current % divisor;
    }
    while (size_ > 1 && limbs_[size_ - 1] == 0) --size_;
    return static_cast<std::uint32_t>(remainder);
  }

  bool IsZero() const { return size_ == 1 && limbs_[0] == 0; }

  // The decimal digits, most significant first, without leading zeros.
  std::string ToDecimal() const {
    BigInteger rest = *this;
    std::string reversed;
    while (!rest.IsZero()) {
      std::uint32_t group = rest.DivideBy(kNineDigits);
      for (int i = 0; i < 9; ++i, group /= 10) {
        reversed.push_back(static_cast<char>('0' + group % 10));
      }
    }
    while (reversed.size() > 1 && reversed.back() == '0') reversed.pop_back();
    return std::string(reversed.rbegin(), reversed.rend());
  }

 private:
  static constexpr std::size_t kLimbs = 96;
  static constexpr std::uint32_t kNineDigits = 1000000000;

  void Push(std::uint32_t limb) {
    if (size_ == kLimbs) throw std::length_error("BigInteger overflow");
    limbs_[size_++] = limb;
  }

  std::array<std::uint32_t, kLimbs> limbs_{};
  std::size_t size_ = 1;
};

}  // namespace

ExactDecimal ExpandExactly(double magnitude) {
  const auto bits = simeq::bit_cast<std::uint64_t>(magnitude);
  const auto biased = static_cast<int>(bits >> 52);
  if (biased == 0x7ff || (bits >> 63) != 0 || bits == 0) {
    throw std::invalid_argument("ExpandExactly needs a finite positive value");
  }
  // magnitude = significand x 2^binary_exponent, significand odd.
  std::uint64_t significand = bits & ((std::uint64_t{1} << 52) - 1);
  int binary_exponent = -1074;
  if (biased != 0) {
    significand |= std::uint64_t{1} << 52;
    binary_exponent = biased - 1075;
  }
  while ((significand & 1) == 0) {
    significand >>= 1;
    ++binary_exponent;
  }

  BigInteger scaled(significand);
  int point_shift = 0;  // the value is scaled / 10^point_shift
  if (binary_exponent >= 0) {
    scaled.ShiftLeft(binary_exponent);
  } else {
    // m / 2^k = m x 5^k / 10^k, five to the 13th being the largest power
    // of five below 2^32.
    point_shift = -binary_exponent;
    int fives = point_shift;
    for (; fives >= 13; fives -= 13) scaled.MultiplyBy(1220703125);
    std::uint32_t rest = 1;
    for (; fives > 0; --fives) rest *= 5;
    scaled.MultiplyBy(rest);
  }

  ExactDecimal exact;
  exact.digits = scaled.ToDecimal();
  exact.exponent = static_cast<int>(exact.digits.size()) - 1 - point_shift;
  while (exact.digits.size() > 1 && exact.digits.back() == '0') exact.digits.pop_back();
  return exact;
}

}  // namespace simeq::testing
