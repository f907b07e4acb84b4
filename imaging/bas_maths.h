#pragma once

namespace tavro::basMaths {

// Arc cosine in radians, as a 32-bit float. When |value| is 1 or more, value
// itself is first replaced by sign(value) x 0.9999 (the caller sees the change).
float arcCos(float& value);

}  // namespace tavro::basMaths
