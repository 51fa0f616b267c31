// The text writers that the library's public templates (enumeration and
// flag-set output) call. Compiled into the library, so that what a consumer
// includes needs no <ostream>.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

#include "corvane/export.hpp"

namespace corvane::detail {

/// Writes `text` without padding, then uses up the stream's width as every
/// formatted output does, so that a width meant for this value does not pad
/// the next output.
CORVANE_EXPORT std::ostream& write_unpadded(std::ostream& os, std::string_view text);

/// Appends "0x" and the hexadecimal digits of `value`, uppercase, without
/// leading zeros ("0x0" for 0).
CORVANE_EXPORT void append_hex(std::string& out, std::uint32_t value);

}  // namespace corvane::detail
