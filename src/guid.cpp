#include "corvane/guid.hpp"

#include <array>
#include <ostream>

#include "debug_text.hpp"

namespace corvane {
namespace {

// "0x" + 8 digits; no allocation, no stream state touched.
std::array<char, 10> guid_text(Guid guid) noexcept {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::array<char, 10> text{'0', 'x'};
  for (int i = 0; i < 8; ++i) {
    text[static_cast<std::size_t>(2 + i)] = kHex[(guid.raw >> (28 - 4 * i)) & 0xFu];
  }
  return text;
}

}  // namespace

std::ostream& operator<<(std::ostream& os, Guid guid) {
  const auto text = guid_text(guid);
  return detail::write_text(os, std::string_view(text.data(), text.size()));
}

std::string debug_string(Guid guid) {
  const auto text = guid_text(guid);
  return {text.data(), text.size()};
}

}  // namespace corvane
