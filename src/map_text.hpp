// The number the map text prints before a hemisphere letter, shared by the
// writer and the reader (which checks that a value prints as a text).
#pragma once

#include <cstddef>

namespace corvane::detail {

/// |degrees|, and at precision 1 moved down by the float 0.05 (bits
/// 0x3D4CCCCD) so that the text leans downwards: 33.55 reads 33.5. A magnitude
/// that would go below 0 there is 0. NaN stays NaN.
float map_text_magnitude(float degrees, std::size_t precision) noexcept;

}  // namespace corvane::detail
