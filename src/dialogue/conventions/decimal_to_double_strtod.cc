#include <errno.h>
#include <locale.h>
#include <stdlib.h>

#include <cmath>
#include <string>

#include "dialogue/conventions/decimal_to_double.h"

#if __has_include(<xlocale.h>)
#include <xlocale.h>  // strtod_l on macOS and FreeBSD
#endif

namespace simeq {

// For standard libraries without std::from_chars for double (libc++ until
// its recent releases). strtod_l is correctly rounded in the C libraries
// this is built with (glibc, macOS, FreeBSD), and the "C" locale keeps the
// point the decimal separator whatever locale the program runs in.
std::optional<double> DecimalToDouble(std::string_view text) {
  static const locale_t c_locale = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  if (c_locale == static_cast<locale_t>(0)) return std::nullopt;
  const std::string terminated(text);  // strtod_l reads up to a NUL
  char* end = nullptr;
  errno = 0;
  const double value = ::strtod_l(terminated.c_str(), &end, c_locale);
  if (end != terminated.c_str() + terminated.size()) return std::nullopt;
  if (std::isinf(value) || (value == 0.0 && errno == ERANGE)) return std::nullopt;
  return value;
}

}  // namespace simeq
