// Which answer WorldPosition::heading_to gives. It compares the same two points
// as heading_to in position.cpp: the offsets within one landblock id, the
// global coordinates across ids.
#include "corvane/position.hpp"

namespace corvane {

HeadingCase WorldPosition::heading_case(const WorldPosition& other) const noexcept {
  if (landblock_id == other.landblock_id) return coords.heading_case(other.coords);
  return global_coords().heading_case(other.global_coords());
}

}  // namespace corvane
