#pragma once
// Velmar's Mingantu paste: clipboard text in Mingantu code scanned unit by
// unit into Qorvel code. Lead bytes 0xA6, 0xA3, 0xF8, 0xF9, 0xFA; every other
// byte passes through.
//
// Dropped: a unit or look-ahead unit alone whose cell is "nothing" (two
// bytes), the lead byte of a unit without an entry (its second byte is kept
// or, when it is a later lead byte, starts the next unit), and a lead byte
// that is the text's last. What a skip unit swallows is not dropped: the
// skip unit writes its glyph. The keep rule changes nothing here, as for the
// Mengkeli paste.

#include <string>
#include <string_view>

#include "codec/unit_table.h"

namespace qorvel {

// Appends the conversion of the clipboard text `text` to `out`. The text ends
// at its first NUL byte; a lead byte that is its last byte appends nothing.
void ConvertMingantuPaste(std::string_view text, std::string& out);

// The same conversion a piece at a time, for texts read in chunks. `text`
// holds no NUL. With `last` false it stops at the first unit that has fewer
// than six bytes left (its conversion, or a skip, may reach into the next
// chunk) and returns its position; with `last` true `text` ends the text and
// is converted whole. The pieces' outputs, in order, are the whole text's.
std::size_t ConvertMingantuPasteChunk(std::string_view text, bool last, std::string& out, DropLog log);

// Where that conversion starts afresh (see StreamConverter::FreshStart).
std::size_t MingantuPasteFreshStart(std::string_view text, std::size_t from);

// The compiled Mingantu unit table.
const UnitTable& MingantuUnitTable();

}  // namespace qorvel
