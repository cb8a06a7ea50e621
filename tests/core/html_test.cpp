// The HTML columns against the reference over random wrapped texts, and a
// face and font URL chosen to break out of every quoting level.

#include "layout/html.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "cp936/cp936.h"
#include "layout/layout.h"
#include "reference/reference.h"

namespace qorvel {
namespace {

// Pieces that stress the line ends, markup and the code page edge: a Qorvel
// glyph code (user-defined area), a GB2312 character, a lead byte with no
// trail (U+FFFD) before markup, 0x80 (the euro sign).
const std::vector<std::string> kPieces = {" ", "  ", "\r\n", "\r", "\n", "\r\n\r\n", "A", "z", "<", ">", "&",
                                          "\"", "'", "&amp;", "<b>", "\xF8\xA1", "\xF8\xA2", "\xB0\xA1",
                                          "\x81", "\x81<", "\x80", "\xFE\xFE"};

std::string RandomText(std::mt19937& rng) {
  std::string text;
  const int n = std::uniform_int_distribution<int>(0, 60)(rng);
  for (int i = 0; i < n; ++i) text += kPieces[std::uniform_int_distribution<std::size_t>(0, kPieces.size() - 1)(rng)];
  return text;
}

TEST(Html, ColumnsOfRandomTextsAsTheReferenceBuildsThem) {
  std::mt19937 rng(20261209);
  for (int round = 0; round < 2000; ++round) {
    const std::string source = RandomText(rng);
    const std::uint32_t lineHeight = std::uniform_int_distribution<std::uint32_t>(0, 120)(rng);
    const int size = std::uniform_int_distribution<int>(1, 1000)(rng);
    const std::string face = round % 2 ? "QorvelWebTolvane" : "Face";
    const std::string wrapped = WrapText(source, lineHeight);
    const std::string columns = ReferenceHtmlColumns(wrapped, DecodeCp936Units, face, size);
    const HtmlLook look{face, size, {}};
    ASSERT_EQ(VerticalHtml(wrapped, Cp936ToUtf8, look, HtmlForm::kFragment), columns) << source;
    const std::string document = VerticalHtml(wrapped, Cp936ToUtf8, look, HtmlForm::kDocument);
    ASSERT_EQ(document.find("<meta charset=\"utf-8\">"), document.find("<head>") + 7);
    ASSERT_NE(document.find("<body>\n" + columns + "\n</body>"), std::string::npos) << source;
  }
  // The defaults are Velmar's.
  EXPECT_EQ(VerticalHtml("a\r\n", Cp936ToUtf8),
            ReferenceHtmlColumns("a\r\n", DecodeCp936Units, "QorvelWebTolvane", 7));
}

// Undoes the CSS string escapes the HTML uses (backslash, hex, one space).
std::string CssUnescape(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\') {
      out += s[i];
      continue;
    }
    std::size_t end = s.find(' ', i);
    out += static_cast<char>(std::stoi(std::string(s.substr(i + 1, end - i - 1)), nullptr, 16));
    i = end;
  }
  return out;
}

TEST(Html, FaceAndFontUrlStayInsideTheirQuotes) {
  const std::string face = "Q\"'\\</style><script>&\n\x01 \xE5\x95\x8A";
  const std::string url = "https://example.org/f?a=1&b=\"x\")}</style><b>\\";
  const std::string html = VerticalHtml("x\r\n", Cp936ToUtf8, {face, 4, url}, HtmlForm::kDocument);
  // One style element, closed where it should be, and no other markup than ours.
  const std::size_t open = html.find("<style>"), close = html.find("</style>");
  ASSERT_NE(open, std::string::npos);
  EXPECT_EQ(html.find("<style>", open + 1), std::string::npos);
  EXPECT_EQ(html.find("</style>", close + 1), std::string::npos);
  EXPECT_EQ(html.find("<script"), std::string::npos);
  EXPECT_EQ(html.find("<b>"), std::string::npos);
  const std::string rule = html.substr(open + 7, close - open - 7);
  EXPECT_EQ(rule.find_first_of("<>&'\n"), std::string::npos) << rule;
  // The rule's two strings are the face and the URL again.
  const std::size_t f = rule.find("font-family:\"") + 13, fEnd = rule.find('"', f);
  const std::size_t u = rule.find("url(\"") + 5, uEnd = rule.find('"', u);
  EXPECT_EQ(CssUnescape(rule.substr(f, fEnd - f)), face);
  EXPECT_EQ(CssUnescape(rule.substr(u, uEnd - u)), url);
  EXPECT_EQ(rule.substr(uEnd), "\")}");
  // The attribute holds the same face string, its quotes as references.
  const std::size_t a = html.find("font-family:&quot;") + 18, aEnd = html.find("&quot;", a);
  EXPECT_EQ(html.substr(a, aEnd - a), rule.substr(f, fEnd - f));
  EXPECT_NE(html.find(";font-size:10px;line-height:12px\"><div>x</div></div>"), std::string::npos);
  // No URL, no rule.
  EXPECT_EQ(VerticalHtml("x\r\n", Cp936ToUtf8, {face, 4, {}}).find("<style"), std::string::npos);
}

}  // namespace
}  // namespace qorvel
