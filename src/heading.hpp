// Internal: the angle conversions of the heading convention. Callers are
// compiled with -ffp-contract=off like the rest of the library.
#pragma once

#include <cstdint>

#include "corvane/detail/bit_cast.hpp"
#include "crmath/cr_math.hpp"

namespace corvane::detail {

// The floats nearest to 180/pi and pi/180.
inline constexpr float kDegreesPerRadian = detail::bit_cast<float>(0x42652EE1u);
inline constexpr float kRadiansPerDegree = detail::bit_cast<float>(0x3C8EFA35u);

inline float degrees(float radians) noexcept { return radians * kDegreesPerRadian; }
inline float radians(float degrees) noexcept { return degrees * kRadiansPerDegree; }

/// deg mod 360 (the sign of the dividend), then +360 if still negative. A NaN
/// stays NaN: the comparison with 0 is false.
inline float reduce_heading_degrees(float deg) noexcept {
  deg = cr_fmod(deg, 360.0f);
  if (deg < 0.0f) deg += 360.0f;
  return deg;
}

}  // namespace corvane::detail
