#include "corvane/properties/inventory.hpp"

namespace corvane {

static_assert(CoverageMask::all().bits() == 0x1FF7E);
static_assert(ItemType::CONTAINER.bits() == 0x200);
static_assert(members<ContainerProperties>().size() == 3);
static_assert(members<WieldType>().size() == 5);

}  // namespace corvane
