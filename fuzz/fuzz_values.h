#pragma once
// Values drawn from fuzz input, one byte each, that favour the ones where
// code breaks: small sizes and coordinates around a grid, the extremes of a
// 16-bit integer, and floats that are no ordinary number.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <limits>
#include <optional>

namespace tavro::fuzz {

// -3..48 mostly; now and then a value at a 16-bit or grid-size boundary.
inline std::int16_t smallOrExtreme(FuzzedDataProvider& in) {
  static constexpr std::array<std::int16_t, 16> kExtremes = {
      -32768, -32767, -256, -100, 64, 100, 127, 128, 181, 182, 200, 255, 256, 1000, 32766, 32767};
  const auto b = in.ConsumeIntegral<std::uint8_t>();
  if (b < 256 - kExtremes.size()) return static_cast<std::int16_t>(b % 52 - 3);
  return kExtremes[b - (256 - kExtremes.size())];
}

// Eighths from -4 to 27.875 mostly; now and then a float no caller should pass.
inline float oddFloat(FuzzedDataProvider& in) {
  constexpr float kInf = std::numeric_limits<float>::infinity();
  static constexpr std::array<float, 16> kOdd = {
      std::numeric_limits<float>::quiet_NaN(), kInf, -kInf, std::numeric_limits<float>::max(),
      -std::numeric_limits<float>::max(), std::numeric_limits<float>::denorm_min(), -0.0f, 1e-30f,
      0.5f, 0.9999f, 1.0f, 9.149987f, 10.349987f, 1e4f, 32767.5f, 1e9f};
  const auto b = in.ConsumeIntegral<std::uint8_t>();
  if (b < 256 - kOdd.size()) return static_cast<float>(b) / 8.0f - 4.0f;
  return kOdd[b - (256 - kOdd.size())];
}

// An optional region argument of update: missing, or any odd float.
inline std::optional<double> regionArgument(FuzzedDataProvider& in) {
  if (in.ConsumeIntegralInRange<int>(0, 3) == 0) return std::nullopt;
  return oddFloat(in);
}

// A packed colour, valid most of the time; sometimes any 32-bit value.
inline std::int32_t packedColour(FuzzedDataProvider& in) {
  if (in.ConsumeBool()) return in.ConsumeIntegral<std::int32_t>();
  return in.ConsumeIntegralInRange<std::int32_t>(0, 0xFFFFFF);
}

}  // namespace tavro::fuzz
