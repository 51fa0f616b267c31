#include "corvane/guid.hpp"

#include <ostream>

#include "debug_text.hpp"

namespace corvane {
namespace {

detail::FixedText<detail::kGuidDebugChars> guid_text(Guid guid) noexcept {
  detail::FixedText<detail::kGuidDebugChars> text;
  detail::append_debug(text, guid);
  return text;
}

}  // namespace

std::ostream& operator<<(std::ostream& os, Guid guid) {
  return detail::write_text(os, guid_text(guid));
}

std::string debug_string(Guid guid) {
  return detail::to_string(guid_text(guid));
}

}  // namespace corvane
