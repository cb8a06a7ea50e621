#include "layout/html.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qorvel {
namespace {

// Appends UTF-8 text as HTML character data or attribute value: the five
// characters markup could read are written as references.
void AppendEscaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
}

// A CSS string, double-quoted. Every ASCII character but letters, digits and
// a few harmless marks is written as a hex escape, so the string cannot end
// early, break the line or hold a character HTML reads as markup: it is
// then safe both in a style attribute and inside a <style> element (where
// references are not decoded). UTF-8 sequences pass as they are.
std::string CssString(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    const bool plain = b >= 0x80 || (b >= '0' && b <= '9') || (b >= 'a' && b <= 'z') ||
                       (b >= 'A' && b <= 'Z') || std::string_view(" -_.,:/?=#%+~!@$*()[]").find(c) != std::string_view::npos;
    if (plain) {
      out += c;
    } else {
      // A trailing space ends the escape, so the next character cannot
      // extend it.
      out += '\\';
      if (b >= 0x10) out += kHex[b >> 4];
      out += kHex[b & 0xF];
      out += ' ';
    }
  }
  out += '"';
  return out;
}

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

void AppendFontFace(std::string& out, const HtmlLook& look) {
  if (look.fontUrl.empty()) return;
  out += "<style>@font-face{font-family:";
  out += CssString(look.face);
  out += ";src:url(";
  out += CssString(look.fontUrl);
  out += ")}</style>";
}

void AppendColumns(std::string& out, std::string_view text, const HtmlLook& look) {
  const std::int64_t size = look.size;
  const std::string style = "writing-mode:vertical-lr;text-orientation:sideways;white-space:pre;font-family:" +
                            CssString(look.face) + ";font-size:" + std::to_string(size * 5 / 2) +
                            "px;line-height:" + std::to_string(size * 3) + "px";
  out += "<div style=\"";
  AppendEscaped(out, style);  // the quotes of the CSS string
  out += "\">";
  // No white space between the columns: under white-space:pre it would be
  // columns of its own.
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t end = i;
    while (end < text.size() && !IsLineEnd(text[end])) ++end;
    const std::string_view line = text.substr(i, end - i);
    out += "<div>";
    // An empty block would have no width: a line break gives the empty
    // column its line box.
    if (line.empty()) out += "<br>";
    AppendEscaped(out, line);
    out += "</div>";
    if (end < text.size()) end += text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1;
    i = end;
  }
  out += "</div>";
}

}  // namespace

std::string VerticalHtml(std::string_view wrapped, Cp936ToUtf8Fn toUtf8, const HtmlLook& look, HtmlForm form) {
  // CR and LF are never part of a double-byte character, so the lines of
  // the decoded text are the decoded lines.
  const std::string text = toUtf8(wrapped);
  std::string out;
  out.reserve(text.size() + text.size() / 8 + 512);
  if (form == HtmlForm::kDocument) {
    out += "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n";
    AppendFontFace(out, look);
    out += "\n</head>\n<body>\n";
  } else {
    AppendFontFace(out, look);
  }
  AppendColumns(out, text, look);
  if (form == HtmlForm::kDocument) out += "\n</body>\n</html>\n";
  return out;
}

}  // namespace qorvel
