#pragma once
// The integer arithmetic of the system: sizes, coordinates and counters 16-bit, running sums 32-bit,
// nothing ever wrapping. A result outside its type throws Error(Overflow); a float-to-integer
// conversion rounds to nearest, ties to even, unless it says floor.

#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/errors.h"

namespace tavro::checked {

// Below 2^52 in magnitude a double may have a fraction; beyond, it is whole.
constexpr double kFractionLimit = 4503599627370496.0;

// The nearest integer to v, ties to even, for |v| < kFractionLimit. Whole part and rest are exact, so the
// tie test is too; no library call, no branch (how a sampled value rounds is no pattern a predictor
// learns), nothing depending on the floating-point environment.
inline std::int64_t nearestEvenInteger(double v) {
  const std::int64_t whole = static_cast<std::int64_t>(v);  // toward zero
  const double rest = v - static_cast<double>(whole);
  const bool odd = (whole & 1) != 0;
  const bool up = (rest > 0.5) | ((rest == 0.5) & odd);
  const bool down = (rest < -0.5) | ((rest == -0.5) & odd);
  return whole + std::int64_t{up} - std::int64_t{down};
}

// Nearest whole number, ties to even (12.5 -> 12, 127.5 -> 128).
inline double roundHalfEven(double v) {
  if (!(std::fabs(v) < kFractionLimit)) return v;  // whole already, or NaN
  return std::copysign(static_cast<double>(nearestEvenInteger(v)), v);  // -0.3 gives -0
}

template <class Int>
Int narrow(std::int64_t v) {
  if (v < std::numeric_limits<Int>::min() || v > std::numeric_limits<Int>::max())
    throw Error(ErrorKind::Overflow);
  return static_cast<Int>(v);
}

inline std::int16_t add16(std::int64_t a, std::int64_t b) { return narrow<std::int16_t>(a + b); }
inline std::int16_t sub16(std::int64_t a, std::int64_t b) { return narrow<std::int16_t>(a - b); }
inline std::int16_t mul16(std::int64_t a, std::int64_t b) { return narrow<std::int16_t>(a * b); }
inline std::int32_t add32(std::int64_t a, std::int64_t b) { return narrow<std::int32_t>(a + b); }
inline std::int32_t mul32(std::int64_t a, std::int64_t b) { return narrow<std::int32_t>(a * b); }

// The last index of a loop "0 to count - 1", checked: a count of -32768 overflows as the bound would.
inline std::int16_t lastIndex(std::int16_t count) { return sub16(count, 1); }

// Round to nearest, ties to even, then range-check; NaN and infinities overflow.
template <class Int>
Int roundToInt(double v) {
  if (!(std::fabs(v) < kFractionLimit)) throw Error(ErrorKind::Overflow);
  return narrow<Int>(nearestEvenInteger(v));
}
inline std::int16_t roundToInt16(double v) { return roundToInt<std::int16_t>(v); }
inline std::int32_t roundToInt32(double v) { return roundToInt<std::int32_t>(v); }

// Conversion to an 8-bit cell value: rounded, and fails outside 0..255.
inline std::uint8_t roundToByte(double v) { return roundToInt<std::uint8_t>(v); }

// The largest whole number not above v, as a 16-bit integer; NaN and infinities overflow.
inline std::int16_t floorToInt16(double v) {
  const double whole = std::floor(v);
  if (!(whole >= -32768.0 && whole <= 32767.0)) throw Error(ErrorKind::Overflow);
  return static_cast<std::int16_t>(whole);
}

// Storage as a 32-bit float: a finite value beyond the float range overflows.
inline float toSingle(double v) {
  if (std::isfinite(v) && std::fabs(v) > static_cast<double>(std::numeric_limits<float>::max()))
    throw Error(ErrorKind::Overflow);
  return static_cast<float>(v);
}

}  // namespace tavro::checked
