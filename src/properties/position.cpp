#include "corvane/properties/position.hpp"

namespace corvane {

static_assert(members<PropertyPosition>().size() == 27);

}  // namespace corvane
