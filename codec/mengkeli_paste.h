#pragma once
// Velmar's Mengkeli paste: the whole clipboard text scanned unit by unit with
// the word converter's table; every byte that starts no unit passes through.
//
// Dropped: a unit whose output is nothing (two bytes), the lead byte of a
// unit without an entry (its second byte is kept), a look-ahead unit alone
// whose standalone output is nothing, and a lead byte that is the text's
// last. The keep rule changes nothing here: every byte that starts no unit
// is copied already, and a unit of the code's own without an entry stays
// dropped.

#include <string>
#include <string_view>

#include "codec/drops.h"

namespace qorvel {

// Appends the conversion of the clipboard text `text` to `out`. The text ends
// at its first NUL byte; a lead byte that is its last byte appends nothing.
void ConvertMengkeliPaste(std::string_view text, std::string& out);

// The same conversion a piece at a time, for texts read in chunks. `text`
// holds no NUL. With `last` false it stops at the first unit that has fewer
// than four bytes left (its conversion may depend on the next chunk) and
// returns its position; with `last` true `text` ends the text and is
// converted whole. The pieces' outputs, in order, are the whole text's.
std::size_t ConvertMengkeliPasteChunk(std::string_view text, bool last, std::string& out, DropLog log);

// Where that conversion starts afresh (see StreamConverter::FreshStart).
std::size_t MengkeliPasteFreshStart(std::string_view text, std::size_t from);

}  // namespace qorvel
