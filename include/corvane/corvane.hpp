// Umbrella header: every public module of corvane_common.
#pragma once

#include "corvane/bake_fingerprint.hpp"
#include "corvane/character.hpp"
#include "corvane/guid.hpp"
#include "corvane/math.hpp"
#include "corvane/position.hpp"
#include "corvane/properties/combat.hpp"
#include "corvane/properties/emote.hpp"
#include "corvane/properties/enumeration.hpp"
#include "corvane/properties/inventory.hpp"
#include "corvane/properties/object.hpp"
#include "corvane/properties/position.hpp"
#include "corvane/properties/ui.hpp"
#include "corvane/properties/vocabularies.hpp"
#include "corvane/sequence.hpp"
#include "corvane/traits.hpp"
#include "corvane/version.hpp"
