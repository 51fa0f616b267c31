#include "corvane/properties/inventory.hpp"
