#ifndef SIMEQ_FUZZ_REQUIRE_H_
#define SIMEQ_FUZZ_REQUIRE_H_

#include <cstdio>
#include <cstdlib>

namespace simeq::fuzz {

// Stops the run with `what` on standard error when `condition` is false, so
// the fuzzer records the input as a crash.
inline void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "check failed: %s\n", what);
  std::abort();
}

}  // namespace simeq::fuzz

#endif  // SIMEQ_FUZZ_REQUIRE_H_
