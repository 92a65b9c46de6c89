#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "dialogue/conventions/leading_digits.h"

namespace simeq {

// For standard libraries without std::to_chars for double (emscripten's
// libc++). "%.16e" gives 17 significant digits, d.dddddddddddddddde+XX,
// rounded from the exact value, as to_chars would. The 16 digits before the
// "e" are taken from there, so a decimal point of another length (which the
// "C" locale the program runs in never has) would change nothing.
LeadingDigits LeadingDigitsOf(double magnitude) {
  char text[40];
  const int length = std::snprintf(text, sizeof text, "%.16e", magnitude);
  const char* const e = std::strchr(text, 'e');
  LeadingDigits d{};
  if (length <= 0 || e == nullptr) return d;  // not reached for a finite value
  d.digit[0] = text[0];
  std::memcpy(d.digit + 1, e - 16, sizeof d.digit - 1);
  d.exponent = static_cast<int>(std::strtol(e + 1, nullptr, 10));
  return d;
}

}  // namespace simeq
