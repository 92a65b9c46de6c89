#ifndef SIMEQ_FUZZ_CHOICES_H_
#define SIMEQ_FUZZ_CHOICES_H_

#include <cstdint>

namespace simeq::fuzz {

// A small deterministic generator for choices drawn from the fuzz input.
class Choices {
 public:
  explicit Choices(std::uint64_t seed) : state_(seed) {}
  // The next 64 pseudo-random bits (splitmix64).
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }

 private:
  std::uint64_t state_;
};

}  // namespace simeq::fuzz

#endif  // SIMEQ_FUZZ_CHOICES_H_
