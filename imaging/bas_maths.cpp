#include "imaging/bas_maths.h"

#include <cmath>

namespace tavro::basMaths {

float arcCos(float& value) {
  if (std::fabs(value) >= 1.0f) {
    // Kept just inside the domain, so the square root below stays positive.
    // The sign is taken directly, so an infinite value clamps as well.
    value = static_cast<float>(std::copysign(0.9999, static_cast<double>(value)));
  }
  const double v = value;
  return static_cast<float>(std::atan(-v / std::sqrt(1.0 - v * v)) + 2.0 * std::atan(1.0));
}

}  // namespace tavro::basMaths
