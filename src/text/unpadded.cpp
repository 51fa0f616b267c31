#include "text/unpadded.hpp"

#include <ostream>

namespace corvane::detail {

std::ostream& write_unpadded(std::ostream& os, std::string_view text) {
  os.write(text.data(), static_cast<std::streamsize>(text.size()));
  os.width(0);
  return os;
}

}  // namespace corvane::detail
