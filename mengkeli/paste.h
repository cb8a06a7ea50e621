#pragma once
// Velmar's Mengkeli paste: the whole clipboard text scanned unit by unit with
// the word converter's table; every byte that starts no unit passes through.

#include <string>
#include <string_view>

namespace qorvel {

// Appends the conversion of the clipboard text `text` to `out`. The text ends
// at its first NUL byte; a lead byte that is its last byte appends nothing.
void ConvertMengkeliPaste(std::string_view text, std::string& out);

}  // namespace qorvel
