#include "corvane/character.hpp"
