#include "corvane/properties/position.hpp"
