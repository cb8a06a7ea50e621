#include "codec/mingantu.h"

#include <gtest/gtest.h>

#include "support/hex.h"

#include <string>

namespace qorvel {
namespace {

using testing::H;

std::string Paste(std::string_view hex) {
  std::string out;
  ConvertMingantuPaste(H(hex), out);
  return out;
}

TEST(MingantuTable, GridSpotChecks) {
  EXPECT_EQ(Paste("A3A1"), H("F8A2"));
  EXPECT_EQ(Paste("A3BF"), H("F8AA"));
  EXPECT_EQ(Paste("A3FC"), H("F8B0"));
  EXPECT_EQ(Paste("A6E0"), H("A3A8"));
  EXPECT_EQ(Paste("A6E7"), H("A1B7"));
  EXPECT_EQ(Paste("A6F4"), H("F8B0"));
  EXPECT_EQ(Paste("F8A6"), H("A1F9"));
  EXPECT_EQ(Paste("F8F4"), H("F8B3F8BBF8B9"));
  EXPECT_EQ(Paste("F8DF"), H("F8B9F8B9"));
  EXPECT_EQ(Paste("F9AE"), H("F8B3F8B8F8B2"));
  EXPECT_EQ(Paste("F9BF"), H("F8C1"));
  EXPECT_EQ(Paste("F9E8"), H("F8B9F8B5"));
  EXPECT_EQ(Paste("F9FE"), H("F8E6"));
  EXPECT_EQ(Paste("FAB2"), H("F8BBF8B6"));
  EXPECT_EQ(Paste("FACD"), H("F8F5"));
  EXPECT_EQ(Paste("FAEC"), H("F8BBF8BB"));
  EXPECT_EQ(Paste("FAEF"), H("F8B9"));
  // Units that map to nothing.
  EXPECT_EQ(Paste("F8AC 41"), "A");
  EXPECT_EQ(Paste("F8B0 F8B2 F8C0 F8AF"), "");
  // 0xFB is no lead byte here.
  EXPECT_EQ(Paste("FBA1"), H("FBA1"));
}

TEST(Mingantu, PassThroughAndAppend) {
  EXPECT_EQ(Paste("A3A1 A6E0"), H("F8A2 A3A8"));
  EXPECT_EQ(Paste("41 0D0A D6D0 7E"), H("41 0D0A D6D0 7E"));
  std::string source = "x";
  ConvertMingantuPaste(H("A3A1"), source);
  ConvertMingantuPaste(H("A6E0"), source);
  EXPECT_EQ(source, std::string("x").append(H("F8A2 A3A8")));
}

TEST(Mingantu, LookAheadLists) {
  EXPECT_EQ(Paste("F9C4 F8CA"), H("F8C4"));
  EXPECT_EQ(Paste("F9C4 20 F8CA"), H("F8C3 20 CA"));
  EXPECT_EQ(Paste("F9C8 F8D2"), H("F8C4 F8B5"));
  EXPECT_EQ(Paste("F9CE F9FB"), H("F8CA F8E2"));
  EXPECT_EQ(Paste("F9D5 F8D2"), H("F8D3 F8B5"));
  EXPECT_EQ(Paste("F9D5 20"), " ");
  EXPECT_EQ(Paste("F9EB F9B3"), H("F8DC F8B8"));
  EXPECT_EQ(Paste("FAD6 F8D9"), H("F9A1 F8B2"));
  EXPECT_EQ(Paste("F9C9 F9AD"), H("F8C9"));
  EXPECT_EQ(Paste("F9CF F9A8"), H("F8CE F8B2"));
  EXPECT_EQ(Paste("F9EC F8F9"), H("F8D8 F8B2"));
  EXPECT_EQ(Paste("FAD1 F8FC"), H("F9A2 F8B9"));
  EXPECT_EQ(Paste("FACA FAC9"), H("F8F5 F8B8"));
  EXPECT_EQ(Paste("FACA F8CC"), H("F8F7"));
  EXPECT_EQ(Paste("F9C0 F9FB"), H("F8B4 F8D4"));
  EXPECT_EQ(Paste("F9EE F9FB"), H("F8D4"));
  EXPECT_EQ(Paste("F9EE"), H("F8DC"));
  // Not in the unit's list: standalone, then the follower by itself.
  EXPECT_EQ(Paste("F9C0 F8D2"), H("F8C1 D2"));
  EXPECT_EQ(Paste("FACA F8A2"), H("F8A4"));
  EXPECT_EQ(Paste("F9C4 F8"), H("F8C3"));
}

TEST(Mingantu, SkipUnits) {
  EXPECT_EQ(Paste("F9E9 F8AF 41424344"), H("F8DD F8DB 4344"));
  EXPECT_EQ(Paste("F9B9 F8AF 4142 F8A2"), H("F8B6 F8C0 F8A4"));
  EXPECT_EQ(Paste("F9E9 20"), H("F8DD F8DB 20"));
  EXPECT_EQ(Paste("F9E9 F8A2"), H("F8DD F8DB F8A4"));
  // The text ends before the skipped bytes: the scan ends, and never reads
  // past the terminating NUL.
  EXPECT_EQ(Paste("F9B9 F8AF 41"), H("F8B6 F8C0"));
  EXPECT_EQ(Paste("F9B9 F8AF"), H("F8B6 F8C0"));
  EXPECT_EQ(Paste("F9B9 F8AF 41 00 4243"), H("F8B6 F8C0"));
  EXPECT_EQ(Paste("F9B9 F8AF 00 414243"), H("F8B6 F8C0"));
  EXPECT_EQ(Paste("F9B9 F8"), H("F8B6 F8C0"));
}

TEST(Mingantu, UnitsWithoutEntryFollowTheLeadOrder) {
  EXPECT_EQ(Paste("A3 F8A2"), H("F8A4"));
  EXPECT_EQ(Paste("A6 A3A1"), H("F8A2"));
  EXPECT_EQ(Paste("F8 F9C0"), H("F8C1"));
  EXPECT_EQ(Paste("FA F8A2"), H("F8A2"));
  EXPECT_EQ(Paste("A3 A6 41"), H("A6 41"));
  EXPECT_EQ(Paste("A3AC"), H("AC"));
  EXPECT_EQ(Paste("F9 A6E0"), H("A6 E0"));
  // Each unit without an entry hands on to a later lead byte.
  EXPECT_EQ(Paste("A6 A3 F8 F9 C0"), H("F8C1"));
  // Joining followers have no entry of their own.
  EXPECT_EQ(Paste("F8CA F9FB"), H("CA FB"));
}

TEST(Mingantu, TextEndsAtItsFirstNul) {
  EXPECT_EQ(Paste(""), "");
  EXPECT_EQ(Paste("00 A3A1"), "");
  EXPECT_EQ(Paste("41 A3"), "A");
  EXPECT_EQ(Paste("41 FA 00 42"), "A");
  EXPECT_EQ(Paste("A3 F8"), "");
  EXPECT_EQ(Paste("F9C4 00 F8CA"), H("F8C3"));
}

}  // namespace
}  // namespace qorvel
