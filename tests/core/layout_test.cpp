#include "layout/layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qorvel {
namespace {

using namespace std::string_literals;

// Capital letters are single-byte characters of 8 pixels each.
struct Case {
  std::string source;
  std::uint32_t lineHeight;
  std::string wrapped;
  std::string web;
};

TEST(Layout, ExamplesOfWrappingAndWebFormat) {
  const std::vector<Case> cases = {
      {"", 500, "\r\n", "\r\n"},
      {"AB CD EF", 0, "AB \r\nCD \r\nEF\r\n", "\r\nEF\r\nCD \r\nAB "},
      {"X\r\nY", 100000, "X\r\nY\r\n", "\r\nY\r\nX"},
      {"AB\r\n", 500, "AB\r\n\r\n", "\r\n\r\nAB"},
      {"\r\nAB", 500, "\r\nAB\r\n", "\r\nAB\r\n"},
      // Two spaces with line height 0: the second space measures an empty line.
      {"A  B", 0, "A \r\n \r\nB\r\n", "\r\nB\r\n \r\nA "},
      // With a line height above 0 the second space stays in the line.
      {"AB  CD", 16, "AB \r\n CD\r\n", "\r\n CD\r\nAB "},
  };
  for (const auto& c : cases) {
    const Layout l = LayOut(c.source, c.lineHeight);
    EXPECT_EQ(l.wrapped, c.wrapped) << "source: " << c.source;
    EXPECT_EQ(l.web, c.web) << "source: " << c.source;
  }
}

TEST(Layout, BreakTestComesBeforeTheSpaceAndAtExactlyTheLineHeight) {
  // "ABC" measures 24: a line height of 24 breaks at the space, 25 does not.
  EXPECT_EQ(WrapText("ABC DE", 24), "ABC \r\nDE\r\n");
  EXPECT_EQ(WrapText("ABC DE", 25), "ABC DE\r\n");
  // The line holds "ABC DE" (48) by the second space: it breaks there.
  EXPECT_EQ(WrapText("ABC DE FG", 25), "ABC DE \r\nFG\r\n");
}

TEST(Layout, RunWithoutSpacesStaysOneLine) {
  std::string glyphs;
  for (int i = 0; i < 3000; ++i) glyphs += "\xF8\xA2";
  EXPECT_EQ(WrapText(glyphs, 0), glyphs + "\r\n");
}

TEST(Layout, SystemFontCellModel) {
  const SystemFontCells cells;
  EXPECT_EQ(cells.MeasureLine(""), 0u);
  EXPECT_EQ(cells.MeasureLine("AB"), 16u);
  EXPECT_EQ(cells.MeasureLine("\xF8\xA2"), 16u);
  // A lead byte that ends the text is a single-byte character.
  EXPECT_EQ(cells.MeasureLine("A\xF8"), 16u);
  // Pairs form from the start: 81 81 is one pair, then 'A'.
  EXPECT_EQ(cells.MeasureLine("\x81\x81" "A"), 24u);
  // 0x80 and 0xFF are single-byte characters; a lead byte takes any follower.
  EXPECT_EQ(cells.MeasureLine("\x80\xFF"), 16u);
  EXPECT_EQ(cells.MeasureLine("\xB0 "), 16u);
}

TEST(Layout, DoubleByteWidthsDecideTheBreak) {
  // Two GlyphCodes measure 32: line height 32 breaks, 33 does not.
  const std::string two = "\xF8\xA2\xF8\xA3";
  EXPECT_EQ(WrapText(two + " A", 32), two + " \r\nA\r\n");
  EXPECT_EQ(WrapText(two + " A", 33), two + " A\r\n");
  // A lead byte just before the space measures 8 on its own.
  EXPECT_EQ(WrapText("AB\xF8 C", 24), "AB\xF8 \r\nC\r\n");
  EXPECT_EQ(WrapText("AB\xF8 C", 25), "AB\xF8 C\r\n");
}

TEST(Layout, LoneLineFeedEndsALine) {
  EXPECT_EQ(WrapText("A\nB", 500), "A\r\nB\r\n");
  EXPECT_EQ(WrapText("A\r\n\nB", 500), "A\r\n\r\nB\r\n");
  EXPECT_EQ(WrapText("\n", 500), "\r\n\r\n");
  // A CR without LF ends a line too.
  EXPECT_EQ(WrapText("A\rB", 500), "A\r\nB\r\n");
}

TEST(Layout, SourceEndsAtItsFirstNul) {
  EXPECT_EQ(WrapText("AB\0CD"s, 500), "AB\r\n");
  EXPECT_EQ(WrapText("\0AB"s, 500), "\r\n");
}

TEST(Layout, LineHeightIsUnsigned) {
  // -1 as a 32-bit int is the largest unsigned value: nothing ever wraps.
  const std::uint32_t minusOne = static_cast<std::uint32_t>(-1);
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "ABCDEFGH ";
  EXPECT_EQ(WrapText(text, minusOne), text + "\r\n");
}

TEST(Layout, LinesLongerThanTheOldBufferKeepEveryByte) {
  std::string longLine(20000, 'A');
  const Layout l = LayOut("X\r\n" + longLine, 500);
  EXPECT_EQ(l.web, "\r\n" + longLine + "\r\nX");
}

}  // namespace
}  // namespace qorvel
