#include <charconv>
#include <system_error>

#include "dialogue/conventions/decimal_to_double.h"

namespace simeq {

std::optional<double> DecimalToDouble(std::string_view text) {
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (result.ec != std::errc() || result.ptr != end) return std::nullopt;
  return value;
}

}  // namespace simeq
