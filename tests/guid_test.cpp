#include <gtest/gtest.h>

TEST(Placeholder, guid) { SUCCEED(); }
