#include "corvane/properties/ui.hpp"
