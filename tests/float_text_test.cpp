#include <gtest/gtest.h>

TEST(Placeholder, float_text) { SUCCEED(); }
