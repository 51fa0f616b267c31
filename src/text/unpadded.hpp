// The one stream write of every text form and debug text.
#pragma once

#include <iosfwd>
#include <string_view>

namespace corvane::detail {

/// Writes `text` without padding, then uses up the stream's width as every
/// formatted output does, so that a width meant for this value does not pad
/// the next output.
std::ostream& write_unpadded(std::ostream& os, std::string_view text);

}  // namespace corvane::detail
