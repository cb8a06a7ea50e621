#pragma once
// The wrapped text as HTML for today's browsers, which lay vertical text out
// themselves: each wrapped line one column, left to right in source order,
// drawn with the face and size of Velmar's view. The web-format text stays
// the form for browsers without vertical writing modes.
//
// The HTML is UTF-8: text/html and CF_HTML are, and a page labelled with the
// code page would be read by the browser's GB18030 decoder, which differs
// from the clipboard's conversion in places. Decoding belongs to the code
// page 936 edge (cp936/, ICU or the system's table), which the core must not
// link, so the caller hands it in.

#include <cstdint>
#include <string>
#include <string_view>

namespace qorvel {

inline constexpr std::string_view kDefaultHtmlFace = "QorvelWebTolvane";
inline constexpr std::int32_t kDefaultHtmlSize = 7;

struct HtmlLook {
  std::string_view face = kDefaultHtmlFace;  // UTF-8
  std::int32_t size = kDefaultHtmlSize;      // points as Velmar's view takes them, > 0
  std::string_view fontUrl;                  // UTF-8; empty for none
};

// A fragment to paste into a page, or a whole document to save.
enum class HtmlForm { kFragment, kDocument };

// Code page 936 bytes to UTF-8, as the clipboard converts them (every byte
// read, nothing dropped).
using Cp936ToUtf8Fn = std::string (*)(std::string_view);

// The HTML of `wrapped` (WrapText's output, code page 936). A CR LF, a CR
// alone or an LF alone ends a line; text after the last line end is one
// more line. The font's pixel height is 2.5 times the size (rounded down)
// and the columns are 3 times the size apart, as Velmar's view draws them;
// `fontUrl`, when given, becomes an @font-face rule for readers without the
// face.
std::string VerticalHtml(std::string_view wrapped, Cp936ToUtf8Fn toUtf8, const HtmlLook& look = {},
                         HtmlForm form = HtmlForm::kFragment);

}  // namespace qorvel
