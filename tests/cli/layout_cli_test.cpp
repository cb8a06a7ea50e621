#include <gtest/gtest.h>
TEST(CliLayout, Builds) { SUCCEED(); }
