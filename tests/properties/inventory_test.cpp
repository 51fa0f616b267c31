#include "corvane/properties/inventory.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <string_view>
#include <vector>

#pragma push_macro("None")
#undef None

namespace corvane {
namespace {

std::vector<std::string_view> display_names(CoverageMask m) {
  std::vector<std::string_view> out;
  for (const std::string_view d : m.iter_display_names()) out.push_back(d);
  return out;
}

TEST(CoverageMask, FlagValues) {
  const std::pair<CoverageMask, std::uint32_t> expected[] = {
      {CoverageMask::UPPER_LEGS_UNDERWEAR, 2}, {CoverageMask::LOWER_LEGS_UNDERWEAR, 4},
      {CoverageMask::CHEST_UNDERWEAR, 8},      {CoverageMask::ABDOMEN_UNDERWEAR, 16},
      {CoverageMask::UPPER_ARMS_UNDERWEAR, 32}, {CoverageMask::LOWER_ARMS_UNDERWEAR, 64},
      {CoverageMask::UPPER_LEGS, 256},         {CoverageMask::LOWER_LEGS, 512},
      {CoverageMask::CHEST, 1024},             {CoverageMask::ABDOMEN, 2048},
      {CoverageMask::UPPER_ARMS, 4096},        {CoverageMask::LOWER_ARMS, 8192},
      {CoverageMask::HEAD, 16384},             {CoverageMask::HANDS, 32768},
      {CoverageMask::FEET, 65536},
  };
  const auto& table = flag_set_traits<CoverageMask>::flags;
  ASSERT_EQ(table.size(), std::size(expected));
  for (std::size_t i = 0; i < table.size(); ++i) {
    EXPECT_EQ(expected[i].first.bits(), expected[i].second);
    EXPECT_EQ(table[i].value, expected[i].second) << table[i].name;
  }
  EXPECT_EQ(CoverageMask::all().bits(), 0x1FF7Eu);
  EXPECT_EQ((CoverageMask::CHEST | CoverageMask::ABDOMEN | CoverageMask::UPPER_ARMS).bits(), 7168u);
  EXPECT_TRUE(CoverageMask::from_bits_truncate(129).is_empty());
}

// The display name spells out the flag name: words split at underscores,
// each capitalised.
std::string spelled_out(std::string_view flag) {
  std::string out;
  bool word_start = true;
  for (const char c : flag) {
    if (c == '_') {
      out += ' ';
      word_start = true;
    } else {
      out += word_start ? c : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      word_start = false;
    }
  }
  return out;
}

TEST(CoverageMask, DisplayNames) {
  for (const flag_entry& e : flag_set_traits<CoverageMask>::flags) {
    EXPECT_EQ(e.display_name, spelled_out(e.name));
    EXPECT_EQ(display_names(CoverageMask::from_bits_retain(e.value)),
              std::vector<std::string_view>{e.display_name});
  }
  EXPECT_EQ(display_names(CoverageMask::CHEST | CoverageMask::HEAD | CoverageMask::HANDS),
            (std::vector<std::string_view>{"Chest", "Head", "Hands"}));
  EXPECT_TRUE(display_names(CoverageMask{}).empty());
  EXPECT_TRUE(display_names(CoverageMask::from_bits_retain(0x81)).empty());
  // Display names follow iter_names one for one, over every mask with bits 0 to 17.
  for (std::uint32_t raw = 0; raw < (1u << 18); raw += 7) {
    const CoverageMask m = CoverageMask::from_bits_retain(raw);
    std::vector<std::string> from_names;
    for (const auto& [n, flag] : m.iter_names()) from_names.push_back(spelled_out(n));
    const auto shown = display_names(m);
    ASSERT_EQ(std::vector<std::string>(shown.begin(), shown.end()), from_names) << raw;
  }
}

TEST(ItemType, ContainerIsNotContainerProperties) {
  EXPECT_EQ(ItemType::CONTAINER.bits(), 0x200u);
  EXPECT_NE(ItemType::CONTAINER.bits(), repr(ContainerProperties::Container));
  std::vector<std::string_view> names;
  for (const auto& [n, flag] : ItemType::CONTAINER.iter_names()) names.push_back(n);
  EXPECT_EQ(names, std::vector<std::string_view>{"CONTAINER"});
}

TEST(ContainerProperties, MembersAndDefault) {
  EXPECT_EQ(repr(ContainerProperties::None), 0u);
  EXPECT_EQ(repr(ContainerProperties::Container), 1u);
  EXPECT_EQ(repr(ContainerProperties::Foci), 2u);
  EXPECT_EQ(from_repr<ContainerProperties>(0), ContainerProperties::None);
  EXPECT_EQ(from_repr<ContainerProperties>(1), ContainerProperties::Container);
  EXPECT_EQ(from_repr<ContainerProperties>(2), ContainerProperties::Foci);
  EXPECT_EQ(from_repr<ContainerProperties>(3), std::nullopt);
  EXPECT_EQ(from_repr<ContainerProperties>(4), std::nullopt);
  EXPECT_EQ(default_value<ContainerProperties>(), ContainerProperties::None);
}

TEST(WieldType, ExactlyTheFivePowersNeverTheirSums) {
  const std::pair<std::uint8_t, std::string_view> expected[] = {
      {0, "Invalid"}, {1, "MeleeWeapon"}, {2, "Armor"}, {4, "Clothing"}, {8, "Jewelry"}};
  std::size_t found = 0;
  for (unsigned v = 0; v <= 255; ++v) {
    const auto m = from_repr<WieldType>(static_cast<std::uint8_t>(v));
    if (found < std::size(expected) && expected[found].first == v) {
      ASSERT_TRUE(m.has_value()) << v;
      EXPECT_EQ(name(*m), expected[found].second);
      ++found;
    } else {
      EXPECT_FALSE(m.has_value()) << v;
    }
  }
  EXPECT_EQ(found, std::size(expected));
  EXPECT_EQ(default_value<WieldType>(), WieldType::Invalid);
}

}  // namespace
}  // namespace corvane

#pragma pop_macro("None")
