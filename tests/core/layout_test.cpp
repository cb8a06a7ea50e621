#include "velmar/core/layout.h"

#include <gtest/gtest.h>

#include <random>

namespace qorvel {
namespace {

const std::string CRLF = "\r\n";

TEST(Wrap, EmptySourceIsOneEmptyLine) {
  const Layout l = LayOut("", 500);
  EXPECT_EQ(l.wrapped, CRLF);
  EXPECT_EQ(l.web, CRLF);
}
}  // namespace
}  // namespace qorvel
