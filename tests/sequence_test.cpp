#include <gtest/gtest.h>

TEST(Placeholder, sequence) { SUCCEED(); }
