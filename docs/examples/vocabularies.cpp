// Guide example: enumerations and flag sets. Each "// prints:" comment is
// checked against the output.
#include <iostream>
#include <string_view>
#include <utility>

#include "corvane/character.hpp"
#include "corvane/properties/enumeration.hpp"
#include "corvane/properties/inventory.hpp"

int main() {
  using corvane::CoverageMask;
  using corvane::PropertyAttribute2nd;

  // [enumerations]
  // Raw numbers from the wire become members, or nothing.
  const auto vital = corvane::from_repr<PropertyAttribute2nd>(5);
  std::cout << corvane::name(*vital) << ' ' << corvane::is_max(*vital) << '\n';  // prints: MaxMana 1
  std::cout << corvane::from_repr<PropertyAttribute2nd>(7).has_value() << '\n';  // prints: 0
  std::cout << corvane::repr(PropertyAttribute2nd::Health) << '\n';              // prints: 2
  std::cout << PropertyAttribute2nd::MaxStamina << '\n';  // prints: MaxStamina
  std::cout << corvane::default_value<PropertyAttribute2nd>() << '\n';  // prints: None
  const char* separator = "";
  for (const PropertyAttribute2nd member : corvane::members<PropertyAttribute2nd>()) {
    if (corvane::is_current(member)) std::cout << std::exchange(separator, " ") << member;
  }
  std::cout << '\n';  // prints: None Health Stamina Mana
  // [enumerations]

  // [flags]
  CoverageMask worn = CoverageMask::CHEST | CoverageMask::HEAD;
  std::cout << worn.bits() << ' ' << worn.contains(CoverageMask::CHEST) << '\n';  // prints: 17408 1
  separator = "";
  for (const auto& [flag_name, flag] : worn.iter_names()) {
    std::cout << std::exchange(separator, " ") << flag_name << '=' << flag.bits();
  }
  std::cout << '\n';  // prints: CHEST=1024 HEAD=16384
  separator = "";
  for (const std::string_view shown : worn.iter_display_names()) {
    std::cout << std::exchange(separator, ", ") << shown;
  }
  std::cout << '\n';  // prints: Chest, Head
  worn.remove(CoverageMask::HEAD);
  std::cout << worn.bits() << '\n';  // prints: 1024
  // Bits that no flag names survive from_bits_retain, not from_bits_truncate.
  std::cout << CoverageMask::from_bits_retain(0x80000400u).bits() << ' '
            << CoverageMask::from_bits_truncate(0x80000400u).bits() << '\n';  // prints: 2147484672 1024
  // [flags]
}
