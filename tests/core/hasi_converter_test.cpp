#include "codec/hasi.h"

#include <gtest/gtest.h>

#include <string>

namespace qorvel {
namespace {

struct HasiRun {
  std::string out;
  std::uint64_t consumed = 0;
  bool endedAtNul = false;
};

HasiRun Hasi(std::string_view in) {
  HasiConverter conv;
  HasiRun r;
  r.endedAtNul = !conv.Feed(in, r.out);
  conv.Finish(r.out);
  r.consumed = conv.Consumed();
  return r;
}

std::string Out(std::string_view in) { return Hasi(in).out; }

TEST(HasiSingleBytes, TableSpotChecks) {
  EXPECT_EQ(Out("!"), "\xF8\xA2");
  EXPECT_EQ(Out("#$"), "\xF9\xA1\xF9\xA2");
  EXPECT_EQ(Out("D"), "\xF8\xDC\xF8\xD7");
  EXPECT_EQ(Out("'"), "\xF8\xDC\xF8\xE5");
  EXPECT_EQ(Out("O"), "\xF8\xB3\xF8\xBB");
  EXPECT_EQ(Out("X"), "\xF8\xB6\xF8\xC0");
  EXPECT_EQ(Out("A"), "\xF8\xB3");
  EXPECT_EQ(Out("e"), "\xF8\xB3");
  EXPECT_EQ(Out("Z"), Out("x"));
  EXPECT_EQ(Out("s"), "\xF8\xE5");
  EXPECT_EQ(Out("_"), "\xF8\xF3");
  EXPECT_EQ(Out("}"), "\xF8\xCF");
  // Sequences of other outputs.
  EXPECT_EQ(Out("D"), Out("JK"));
  EXPECT_EQ(Out("'"), Out("Js"));
  EXPECT_EQ(Out("O"), Out("Ao"));
}

TEST(HasiSingleBytes, CopiesDropsAndLineEnds) {
  EXPECT_EQ(Out(" ()+=0123456789"), " ()+=0123456789");
  EXPECT_EQ(Out("12.5"), "12\xF8\xA5" "5");
  EXPECT_EQ(Out("A\r\nB\n\r"), "\xF8\xB3\r\n\xF8\xC8\n\r");
  EXPECT_EQ(Out("\t\x01\x1F\x1B"), "");
  EXPECT_EQ(Out(""), "");
}

TEST(HasiPrefixes, GraveFollowers) {
  EXPECT_EQ(Out("`s"), "\xF8\xE8");
  EXPECT_EQ(Out("`C"), "\xF8\xE9");
  EXPECT_EQ(Out("`S"), "\xF8\xE7");
  EXPECT_EQ(Out("`a"), "\xF8\xB4");
  EXPECT_EQ(Out("`a"), Out("a"));
  EXPECT_EQ(Out("`{`|`}"), Out("{|}"));
  // Dropped with the prefix: other capitals, digits, space, CR, 0x60, high bytes.
  EXPECT_EQ(Out("`A`1` `!`(`"), "");
  EXPECT_EQ(Out("`\r\n"), "\n");
  EXPECT_EQ(Out("``a"), "\xF8\xB4");
  EXPECT_EQ(Out("`\xB0" "A"), "\xF8\xB3");
  EXPECT_EQ(Out("`"), "");
}

TEST(HasiPrefixes, TildeFollowers) {
  EXPECT_EQ(Out("~B~F~T~b~f~v"), "\xF8\xF9\xF8\xF6\xF8\xF8\xF8\xF7\xF8\xF5\xF8\xFA");
  EXPECT_EQ(Out("~xA"), "\xF8\xB3");
  EXPECT_EQ(Out("~~B"), "\xF8\xC8");  // the second '~' is the dropped follower
  EXPECT_EQ(Out("`~B"), "\xF8\xF9");
  EXPECT_EQ(Out("`~xA"), "\xF8\xB3");
  EXPECT_EQ(Out("~"), "");
  EXPECT_EQ(Out("`~"), "");
}

TEST(HasiPrefixes, NulAsFollowerIsConsumedAndDoesNotEnd) {
  for (std::string_view in : {std::string_view("`\0A", 3), std::string_view("~\0A", 3),
                              std::string_view("`~\0A", 4)}) {
    const HasiRun r = Hasi(in);
    EXPECT_EQ(r.out, "\xF8\xB3");
    EXPECT_FALSE(r.endedAtNul);
    EXPECT_EQ(r.consumed, in.size());
  }
}

TEST(HasiPairs, CopiedWhole) {
  EXPECT_EQ(Out("\xB0\xA1"), "\xB0\xA1");
  EXPECT_EQ(Out("\x7F" "A"), "\x7F" "A");
  EXPECT_EQ(Out("\xB0`\xC1~"), "\xB0`\xC1~");  // a trail byte is never a prefix
  const HasiRun r = Hasi(std::string_view("\xB0\0A", 3));
  EXPECT_EQ(r.out, std::string("\xB0\0\xF8\xB3", 4));
  EXPECT_FALSE(r.endedAtNul);
}

TEST(HasiPairs, LeadByteAtTheEndIsWrittenAlone) {
  const HasiRun r = Hasi("A\xB0");
  EXPECT_EQ(r.out, "\xF8\xB3\xB0");
}

TEST(HasiEnd, NulEndsTheInput) {
  const HasiRun r = Hasi(std::string_view("AB\0CD", 5));
  EXPECT_EQ(r.out, "\xF8\xB3\xF8\xC8");
  EXPECT_TRUE(r.endedAtNul);
  EXPECT_EQ(r.consumed, 3u);

  HasiConverter conv;
  std::string out;
  EXPECT_FALSE(conv.Feed(std::string_view("\0", 1), out));
  EXPECT_FALSE(conv.Feed("ABC", out));
  conv.Finish(out);
  EXPECT_EQ(out, "");
  EXPECT_EQ(conv.Consumed(), 1u);
}

}  // namespace
}  // namespace qorvel
