#include "corvane/properties/combat.hpp"
