#ifndef SIMEQ_DIALOGUE_CONVENTIONS_BIT_CAST_H_
#define SIMEQ_DIALOGUE_CONVENTIONS_BIT_CAST_H_

// simeq::bit_cast is std::bit_cast where the standard library has it, and
// otherwise the compiler builtin that std::bit_cast is made of (GCC 11 and
// clang 9 on): emscripten's libc++ lacks it. CMake's check of the standard
// library sets SIMEQ_HAVE_STD_BIT_CAST for everything built on simeq_core.
#if SIMEQ_HAVE_STD_BIT_CAST
#include <bit>

namespace simeq {

using std::bit_cast;

}  // namespace simeq
#else
namespace simeq {

// The bits of `from` as a `To` of the same size.
template <typename To, typename From>
constexpr To bit_cast(const From& from) noexcept {
  static_assert(sizeof(To) == sizeof(From));
  return __builtin_bit_cast(To, from);
}

}  // namespace simeq
#endif

#endif  // SIMEQ_DIALOGUE_CONVENTIONS_BIT_CAST_H_
