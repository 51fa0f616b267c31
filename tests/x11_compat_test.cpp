// X11's <X11/X.h> defines the macro `None`, which is also a member name of
// several vocabularies. Every public header must compile after it and leave
// the macro as it found it.
// GoogleTest itself declares a type named None, so it goes first.
#include <gtest/gtest.h>

// clang-format off: the X11 header must come before the library's.
#include <X11/X.h>
#include "corvane/corvane.hpp"
#include "corvane/properties/vocabularies.hpp"
// clang-format on

static_assert(None == 0L, "the headers restore X11's None");

namespace corvane {
namespace {

TEST(X11Compat, MembersNamedNoneStayUsable) {
  EXPECT_EQ(name(default_value<PropertyAttribute2nd>()), "None");
  EXPECT_EQ(name(default_value<SpellType>()), "None");
  EXPECT_EQ(name(default_value<ContainerProperties>()), "None");
  EXPECT_EQ(name(*from_repr<SpellCategory>(0)), "None");
  EXPECT_EQ(debug_string(SpellBookFilterOptions::NONE), "NONE");
#pragma push_macro("None")
#undef None
  EXPECT_EQ(repr(SpellType::None), 0u);
#pragma pop_macro("None")
  EXPECT_EQ(None, 0L);
}

}  // namespace
}  // namespace corvane
