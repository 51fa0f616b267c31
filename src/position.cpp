#include "corvane/position.hpp"
