#include "corvane/properties/object.hpp"
