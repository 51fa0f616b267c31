// The text writers declared in corvane/detail/text.hpp. They are part of the
// library's interface (consumers' instances of the public templates call
// them), so this file is compiled into the library itself, not into the
// internal text library that the tests and the tool link beside it.
#include "corvane/detail/text.hpp"

#include <ostream>

#include "text/hex.hpp"

namespace corvane::detail {

std::ostream& write_unpadded(std::ostream& os, std::string_view text) {
  os.write(text.data(), static_cast<std::streamsize>(text.size()));
  os.width(0);
  return os;
}

void append_hex(std::string& out, std::uint32_t value) {
  char digits[2 + 8] = {'0', 'x'};
  const char* end = write_hex(digits + 2, value, hex_digit_count(value));
  out.append(digits, static_cast<std::size_t>(end - digits));
}

}  // namespace corvane::detail
