#include "dialogue/default_nan.h"

#include <cmath>

namespace simeq {

double WithDefaultNaN(double value) { return std::isnan(value) ? kDefaultNaN : value; }

}  // namespace simeq
