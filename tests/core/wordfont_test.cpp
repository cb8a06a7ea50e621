#include "codec/wordfont.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace qorvel {
namespace {

std::string WordFont(std::string_view text) {
  std::string out;
  ConvertWordFontPaste(text, out);
  return out;
}

std::string Byte(int b) { return std::string(1, static_cast<char>(b)); }

TEST(WordFontPaste, ConvertsByteByByte) {
  EXPECT_EQ(WordFont("Ab"), "\xF8\xB3\xF8\xF1");
  EXPECT_EQ(WordFont("{x}"), "(\xF8\xBA)");
  EXPECT_EQ(WordFont("DJ"), "\xA1\xB7\xA1\xB6");  // 》《
  EXPECT_EQ(WordFont("A\r\nb"), "\xF8\xB3\r\n\xF8\xF1");
  EXPECT_EQ(WordFont(" |"), " -");
  // Two-glyph cells, in the order shown.
  EXPECT_EQ(WordFont("1"), "\xF8\xFB\xF8\xB8");
  EXPECT_EQ(WordFont(")"), "\xF8\xCA\xF8\xB8");
  EXPECT_EQ(WordFont("Y"), "\xF8\xDC\xF8\xE5");
  EXPECT_EQ(WordFont("K"), "\xF8\xC3\xF8\xB8");
  // The two mapped high bytes.
  EXPECT_EQ(WordFont("\xB4\xCE"), "\xA1\xB6\xF8\xC1");
}

TEST(WordFontPaste, DropsUnmappedBytes) {
  EXPECT_EQ(WordFont("\"&<>\t\x7F\x01\x1F"), "");
  EXPECT_EQ(WordFont("A\"B"), "\xF8\xB3\xF8\xF0");
  // A GBK character is not a pair: B0 A1 drops whole, a trail byte 0x41
  // converts as 'A'.
  EXPECT_EQ(WordFont("\xB0\xA1"), "");
  EXPECT_EQ(WordFont("\x81\x41"), "\xF8\xB3");
}

TEST(WordFontPaste, DollarAppendsNothingAndLeavesTheNextByteWhole) {
  EXPECT_EQ(WordFont("$"), "");
  EXPECT_EQ(WordFont("$A$b$"), "\xF8\xB3\xF8\xF1");
}

TEST(WordFontPaste, AppendsAndStopsAtTheFirstNul) {
  std::string out = "xy";
  ConvertWordFontPaste("", out);
  EXPECT_EQ(out, "xy");
  ConvertWordFontPaste("A", out);
  ConvertWordFontPaste("b", out);
  EXPECT_EQ(out, "xy\xF8\xB3\xF8\xF1");
  EXPECT_EQ(WordFont(std::string_view("A\0b", 3)), "\xF8\xB3");
  EXPECT_EQ(WordFont(std::string_view("\0A", 2)), "");
}

// Every byte appends whole characters only: nothing, one of the single bytes
// the table names, or complete double-byte characters.
TEST(WordFontTable, EveryByteAppendsWholeCharacters) {
  const std::set<int> dropped = [] {
    std::set<int> d = {0x00, 0x22, 0x24, 0x26, 0x3C, 0x3E, 0x7F};
    for (int b = 0x01; b < 0x20; ++b)
      if (b != 0x0D && b != 0x0A) d.insert(b);
    for (int b = 0x80; b <= 0xFF; ++b)
      if (b != 0xB4 && b != 0xCE) d.insert(b);
    return d;
  }();
  const std::string singles = "\r\n ()-";
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    const std::string out = WordFont(Byte(b));
    EXPECT_EQ(out.empty(), dropped.count(b) == 1);
    if (out.size() == 1) {
      EXPECT_NE(singles.find(out[0]), std::string::npos);
      continue;
    }
    ASSERT_TRUE(out.size() == 0 || out.size() == 2 || out.size() == 4);
    for (std::size_t i = 0; i < out.size(); i += 2) {
      const auto lead = static_cast<unsigned char>(out[i]);
      const auto trail = static_cast<unsigned char>(out[i + 1]);
      const bool glyph = (lead == 0xF8 || lead == 0xF9) && trail >= 0xA1 && trail <= 0xFE;
      const bool quote = lead == 0xA1 && (trail == 0xB6 || trail == 0xB7);
      EXPECT_TRUE(glyph || quote);
    }
  }
}

TEST(WordFontTable, SharedOutputs) {
  EXPECT_EQ(WordFont("C"), WordFont("e"));
  EXPECT_EQ(WordFont("S"), WordFont("s"));
  EXPECT_EQ(WordFont("V"), WordFont("v"));
  EXPECT_EQ(WordFont("Q"), WordFont("w"));
  EXPECT_EQ(WordFont("J"), WordFont("\xB4"));
  // No other two bytes share an output.
  std::set<std::string> outputs;
  int mapped = 0;
  for (int b = 0; b < 256; ++b) {
    const std::string out = WordFont(Byte(b));
    if (out.empty()) continue;
    ++mapped;
    outputs.insert(out);
  }
  EXPECT_EQ(mapped, 94);  // 90 cells of the grid, CR, LF, 0xB4, 0xCE
  EXPECT_EQ(outputs.size(), 94u - 5u);
}

}  // namespace
}  // namespace qorvel
