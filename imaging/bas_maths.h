#pragma once

#include <cmath>

namespace tavro::basMaths {

// Arc cosine in radians, as a 32-bit float. When |value| is 1 or more, value
// itself is first replaced by sign(value) x 0.9999 (the caller sees the change):
// kept just inside the domain, so the square root stays positive; the sign is
// taken directly, so an infinite value clamps as well.
inline float arcCos(float& value) {
  if (std::fabs(value) >= 1.0f) value = static_cast<float>(std::copysign(0.9999, static_cast<double>(value)));
  const double v = value;
  return static_cast<float>(std::atan(-v / std::sqrt(1.0 - v * v)) + 2.0 * std::atan(1.0));
}

}  // namespace tavro::basMaths
