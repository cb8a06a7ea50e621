#pragma once
// Word-font text: Mongolian typed in a word processor with an ASCII-mapped
// font, one byte per glyph form or punctuation mark. Converted byte by byte
// into Qorvel code, with no state from one byte to the next.

#include <string>
#include <string_view>

#include "codec/drops.h"

namespace qorvel {

// Appends to `out` the Qorvel text for the Word-font clipboard text `text`.
// The text ends at its first NUL byte, if it holds one. Each byte is looked up
// on its own (a GBK character is not taken as a pair); unmapped bytes are
// dropped.
//
// Dropped: each byte whose cell is empty (controls but CR and LF, '"', '$',
// '&', '<', '>', DEL, and every byte 0x80..0xFF but B4 and CE), one byte a
// step. The keep rule copies the controls and DEL, and a byte 0x81..0xFE
// with the GBK second byte after it (0x40..0xFE but 0x7F) is copied as one
// character; the printable bytes without a cell, 0x80 and 0xFF, and a lead
// byte with no second byte stay dropped. B4 and CE are the code's own glyphs,
// never taken as GBK.
void ConvertWordFontPaste(std::string_view text, std::string& out);

// The table cell of byte `b` as it is written, so that a check can read the
// same table with a scan of its own: hex groups ("F8A2", "F8CA F8B8", "20"),
// or "" for a dropped byte.
std::string_view WordFontTableCell(unsigned char b);

// The same conversion a piece at a time, for texts read in chunks: `text`
// holds no NUL, and since no byte depends on another every piece is
// converted whole, whatever `last` says. Returns text.size().
std::size_t ConvertWordFontPasteChunk(std::string_view text, bool last, std::string& out, DropLog log);
// Under the keep rule: with `last` false it stops before a last byte that
// may take the next one along.
std::size_t ConvertWordFontKeepChunk(std::string_view text, bool last, std::string& out, DropLog log);

// Where those conversions start afresh (see StreamConverter::FreshStart): at
// `from`, as no byte depends on another; under the keep rule after a byte
// that takes none along.
std::size_t WordFontPasteFreshStart(std::string_view text, std::size_t from);
std::size_t WordFontKeepFreshStart(std::string_view text, std::size_t from);

}  // namespace qorvel
