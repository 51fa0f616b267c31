#include "corvane/guid.hpp"

#include "debug_text.hpp"
#include "text/unpadded.hpp"

namespace corvane {

std::ostream& operator<<(std::ostream& os, Guid guid) {
  return detail::write_unpadded(os, detail::debug_text(guid).view());
}

std::string debug_string(Guid guid) { return std::string(detail::debug_text(guid).view()); }

}  // namespace corvane
