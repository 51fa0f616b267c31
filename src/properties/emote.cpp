#include "corvane/properties/emote.hpp"
