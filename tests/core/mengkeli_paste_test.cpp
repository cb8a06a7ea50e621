#include <gtest/gtest.h>

#include "support/hex.h"

#include <string>

#include "codec/mengkeli_paste.h"

namespace qorvel {
namespace {

using testing::H;

std::string Paste(std::string_view hex) {
  std::string out;
  ConvertMengkeliPaste(H(hex), out);
  return out;
}

TEST(MengkeliPaste, BytesOutsideUnitsPassThrough) {
  EXPECT_EQ(Paste("41 F8A2 0D0A"), H("41 F8A4 0D0A"));
  EXPECT_EQ(Paste("D6D0"), H("D6D0"));
  // GBK pairs are not recognised: a trail byte 0xF8 starts a unit.
  EXPECT_EQ(Paste("B0F8 A2"), H("B0 F8A4"));
  EXPECT_EQ(Paste("F8A1"), H("A1"));
}

TEST(MengkeliPaste, LookAheadAcrossTheText) {
  EXPECT_EQ(Paste("F9D0 F8D9"), H("F8C4"));
  EXPECT_EQ(Paste("F9D0 20 F8D9"), H("F8C3 20 F8B4"));
  EXPECT_EQ(Paste("F9C5 20"), H("F8B6 20"));
  EXPECT_EQ(Paste("F9C5 F8A2"), H("F8B6 F8A4"));
  EXPECT_EQ(Paste("F9D8 0D0A F9AC"), H("0D0A AC"));
  EXPECT_EQ(Paste("FAE5 F9B4 FAE5"), H("F9A2 F8B2"));
}

TEST(MengkeliPaste, TextEndsAtItsFirstNul) {
  EXPECT_EQ(Paste(""), "");
  EXPECT_EQ(Paste("00"), "");
  EXPECT_EQ(Paste("41 00 42"), "A");
  // Bytes past the end join nothing.
  EXPECT_EQ(Paste("F9D0 00 F8D9"), H("F8C3"));
  EXPECT_EQ(Paste("F9D0 F8 00 D9"), H("F8C3"));
  // A lone lead byte at the end is lost, and nothing else.
  EXPECT_EQ(Paste("41 F9"), "A");
  EXPECT_EQ(Paste("41 F9 00 42"), "A");
  EXPECT_EQ(Paste("F9D0 F8"), H("F8C3"));
}

TEST(MengkeliPaste, SecondPasteStandsBehindTheFirst) {
  std::string source;
  ConvertMengkeliPaste(H("F8A2 20"), source);
  ConvertMengkeliPaste(H("F9D0 F8D9 00 41"), source);
  EXPECT_EQ(source, H("F8A4 20 F8C4"));
}

}  // namespace
}  // namespace qorvel
