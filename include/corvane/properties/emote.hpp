// Emote vocabularies: the kind of each scripted emote step and the occasion an
// emote set answers.
#pragma once

#include <cstdint>
#include <iosfwd>

#include "corvane/export.hpp"
#include "corvane/properties/enumeration.hpp"

namespace corvane {

/// The kind of one emote step, 32-bit on the wire: 122 members, 0 to 121.
/// Default `Invalid`.
#define CORVANE_ENUMERATION (EmoteType, std::uint32_t, emote_type, Invalid)
#include "corvane/properties/declare_vocabulary.inc"

/// True for the 39 step kinds a player can see happen (a motion, a line said,
/// a spell cast, an award ...); false for queries, bookkeeping and the other
/// invisible steps. A fixed list, not derived from the names; false for a
/// value that is no member.
[[nodiscard]] CORVANE_EXPORT bool is_user_visible(EmoteType type) noexcept;

/// The occasion an emote set answers, 32-bit on the wire: 39 members, 0 to
/// 38. Default `Invalid`. The only enumeration with a display text besides its
/// name: `display_name` ("Heart Beat", "Un-Wield"; empty for a value that is
/// no member) and its `operator<<`.
#define CORVANE_ENUMERATION (EmoteCategory, std::uint32_t, emote_category, Invalid)
#include "corvane/properties/declare_vocabulary.inc"

/// Writes the member name (not the display name: `HeartBeat` writes
/// "HeartBeat"; a value that is no member writes its decimal number) as a
/// string is written: padded to the stream's width with its fill, on the side
/// its adjustment flags say. Unlike every other enumeration; `debug_string`
/// stays the bare name.
CORVANE_EXPORT std::ostream& operator<<(std::ostream& os, EmoteCategory category);

}  // namespace corvane
