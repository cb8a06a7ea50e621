#include <gtest/gtest.h>

#include "support/hex.h"

#include <string>

#include "codec/mengkeli_word.h"

namespace qorvel {
namespace {

using testing::H;

std::string Word(std::string_view hex) {
  std::string out;
  Drops drops;
  ConvertMengkeliWord(H(hex), out, {drops, 0});
  return out;
}

TEST(MengkeliWord, FixedUnitsAndUnitsWithoutEntry) {
  EXPECT_EQ(Word(""), "");
  EXPECT_EQ(Word("F8D9"), H("F8B4"));
  EXPECT_EQ(Word("F8D0"), " ");
  EXPECT_EQ(Word("FBA2"), H("F8BB F8BB"));
  EXPECT_EQ(Word("FBA1 F9A2"), H("F8F4 F8B3F8BBF8B2"));
  EXPECT_EQ(Word("F8C2 F8C3 F8C4 F8C5"), "<>[]");
  // Without an entry the lead byte goes and the second byte stays, even a
  // lead byte or a NUL.
  EXPECT_EQ(Word("F8A1"), H("A1"));
  EXPECT_EQ(Word("F8CB"), H("CB"));
  EXPECT_EQ(Word("FBA3 F8A2"), H("A3 F8A4"));
  EXPECT_EQ(Word("FBF9 A2"), H("F9 A2"));
  EXPECT_EQ(Word("F800 F8A2"), H("00 F8A4"));
}

TEST(MengkeliWord, AppendsToWhatIsThere) {
  std::string out = "ab";
  Drops drops;
  ConvertMengkeliWord(H("F8A2"), out, {drops, 0});
  EXPECT_EQ(out, "ab" + H("F8A4"));
}

TEST(MengkeliWord, FirstKindJoins) {
  EXPECT_EQ(Word("F9D0 F8D9"), H("F8C4"));       // class V
  EXPECT_EQ(Word("F9D4 F9CF"), H("F8C4"));       // class V, lead F9
  EXPECT_EQ(Word("F9D0 F8D8"), H("F8C4 F8B5"));  // class VB
  EXPECT_EQ(Word("F9D0 FAAD"), H("F8C5"));
  EXPECT_EQ(Word("F9DA FADD"), H("F8CA F8B8"));
  EXPECT_EQ(Word("F9DF F9BF"), H("F8DC F8B8"));
  EXPECT_EQ(Word("FAE7 F8EC"), H("F9A1"));
  EXPECT_EQ(Word("FAE1 F8CE"), H("F8F9"));
  // "-" cells do not join: standalone, then the follower on its own.
  EXPECT_EQ(Word("F9D7 F8EC"), H("F8CA F8B9"));
  EXPECT_EQ(Word("FAE4 F8E9"), H("F8FB F8B9F8B2"));
  EXPECT_EQ(Word("FAE4 FAA1"), H("F8FB F8DC"));
}

TEST(MengkeliWord, SecondAndThirdKindJoins) {
  EXPECT_EQ(Word("F9D8 F9AC"), H("F8CE F8B9"));  // W9
  EXPECT_EQ(Word("F9EC F8F7"), H("F8D8"));       // W
  EXPECT_EQ(Word("FAE5 F9B4"), H("F9A2 F8B2"));  // W2
  EXPECT_EQ(Word("F9D5 F9BB"), H("F8C9"));
  EXPECT_EQ(Word("F9C5 F8D6"), H("F8B6 F8C0"));  // U
  EXPECT_EQ(Word("F9F8 F8E1"), H("F8DD F8DB"));
  EXPECT_EQ(Word("F9C5 F8D2"), H("F8B6 F8B3F8B5"));
  EXPECT_EQ(Word("F9E6"), H("F8DD"));
}

TEST(MengkeliWord, StandaloneAndNothing) {
  EXPECT_EQ(Word("F9D0"), H("F8C3"));
  EXPECT_EQ(Word("F9D0 F9D0"), H("F8C3 F8C3"));
  // The second F9 D0 looks at its own follower.
  EXPECT_EQ(Word("F9D0 F9D0 F8D9"), H("F8C3 F8C4"));
  EXPECT_EQ(Word("F9D8"), "");
  EXPECT_EQ(Word("F9D8 F8A2"), H("F8A4"));
  // Units whose standalone output we chose to be nothing.
  for (const char* unit : {"F9D1", "F9D5", "F9DF", "F9E9", "F9F2", "F9FA", "FADF", "FAE2", "FAE5", "FAE8"}) {
    EXPECT_EQ(Word(unit), "") << unit;
    EXPECT_EQ(Word(std::string(unit) + "F8A2"), H("F8A4")) << unit;
    EXPECT_EQ(Word(std::string(unit) + "F9D0 F8D9"), H("F8C4")) << unit;
  }
}

TEST(MengkeliWord, JoinsOnlyWithAWholeFollowingUnit) {
  // A joined follower is consumed: its own rule does not run.
  EXPECT_EQ(Word("F9D0 F9C9 F8D9"), H("F8C4 F8B4"));
  // The follower must be the next two bytes.
  EXPECT_EQ(Word("F9D0 41 F8D9"), H("F8C3 41 F8B4"));
  EXPECT_EQ(Word("F9D0 F8"), H("F8C3"));  // a lead byte that ends the word appends nothing
  EXPECT_EQ(Word("F8A2 FB"), H("F8A4"));
  EXPECT_EQ(Word("41 F8A2"), H("41 F8A4"));
}

}  // namespace
}  // namespace qorvel
