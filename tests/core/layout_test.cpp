#include "layout/layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
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

// The web-format pass exactly as first described: walk back, collect the
// bytes of a line, write them reversed at each CR, then CR LF.
std::string ReferenceWebFormat(const std::string& wrapped) {
  std::string out, line;
  const auto flush = [&] { out.append(line.rbegin(), line.rend()); line.clear(); };
  for (std::size_t k = wrapped.size(); k-- > 0;) {
    const char c = wrapped[k];
    if (c == '\n') continue;
    if (c == '\r') {
      flush();
      out += "\r\n";
    } else {
      line += c;
    }
  }
  flush();
  return out;
}

// Splits a wrapped text at its CR LF pairs.
std::vector<std::string> Lines(const std::string& wrapped) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t cr; (cr = wrapped.find("\r\n", from)) != std::string::npos; from = cr + 2)
    lines.push_back(wrapped.substr(from, cr - from));
  lines.push_back(wrapped.substr(from));
  return lines;
}

std::string RandomSource(std::mt19937& rng) {
  static const std::string alphabet = " \r\n\0AB\xF8\xA2\xB0\x81\xFE\xFF\x80"s;
  std::uniform_int_distribution<std::size_t> len(0, 200), pick(0, alphabet.size() - 1), nulRoll(0, 30);
  std::string s;
  const std::size_t n = len(rng);
  for (std::size_t k = 0; k < n; ++k) {
    char c = alphabet[pick(rng)];
    if (c == '\0' && nulRoll(rng) != 0) c = ' ';  // a NUL now and then
    s += c;
  }
  return s;
}

TEST(LayoutProperty, InvariantsAndAgreementWithTheWholeLineMeasurer) {
  std::mt19937 rng(20261207);
  std::uniform_int_distribution<int> heightPick(0, 5);
  const SystemFontCells cells;
  for (int round = 0; round < 3000; ++round) {
    const std::string source = RandomSource(rng);
    const std::uint32_t heights[] = {0, 8, 16, 40, 100, 0xFFFFFFFFu};
    const std::uint32_t lineHeight = heights[heightPick(rng)];
    const Layout l = LayOut(source, lineHeight);
    SCOPED_TRACE("round " + std::to_string(round));

    // Keeping the width up byte by byte agrees with measuring the whole line.
    ASSERT_EQ(l.wrapped, WrapText(source, lineHeight, &cells));
    ASSERT_EQ(l.web, ReferenceWebFormat(l.wrapped));

    ASSERT_GE(l.wrapped.size(), 2u);
    ASSERT_EQ(l.wrapped.substr(l.wrapped.size() - 2), "\r\n");
    ASSERT_EQ(l.wrapped.find('\0'), std::string::npos);
    for (std::size_t k = 0; k < l.wrapped.size(); ++k) {
      if (l.wrapped[k] == '\n') {
        ASSERT_TRUE(k > 0 && l.wrapped[k - 1] == '\r');
      }
      if (l.wrapped[k] == '\r') {
        ASSERT_TRUE(k + 1 < l.wrapped.size() && l.wrapped[k + 1] == '\n');
      }
    }
    ASSERT_EQ(l.web.size(), l.wrapped.size());
    std::vector<std::string> lines = Lines(l.wrapped);
    lines.pop_back();  // the text after the last CR LF is empty
    std::string expectedWeb;
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) expectedWeb += "\r\n" + *it;
    ASSERT_EQ(l.web, expectedWeb);

    // Only line ends are added or normalised: every other byte of the
    // source (up to its first NUL) is kept, in order.
    std::string kept, text;
    for (char c : l.wrapped)
      if (c != '\r' && c != '\n') kept += c;
    for (char c : source.substr(0, source.find('\0')))
      if (c != '\r' && c != '\n') text += c;
    ASSERT_EQ(kept, text);
  }
}

// The web-format pass on any text, also one that no wrapping produced (a CR
// without LF, an LF alone, LFs inside lines): every LF is left out and every
// CR starts a line.
TEST(LayoutProperty, WebFormatOfAnyTextMatchesTheBackwardWalk) {
  std::mt19937 rng(77);
  for (int round = 0; round < 3000; ++round) {
    const std::string text = RandomSource(rng);
    ASSERT_EQ(WebFormat(text), ReferenceWebFormat(text)) << "round " << round;
  }
}

}  // namespace
}  // namespace qorvel
