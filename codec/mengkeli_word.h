#pragma once
// Conversion of one Mengkeli-code word (a run of two-byte code units) into
// Qorvel 2006 code.

#include <string>
#include <string_view>

#include "codec/drops.h"

namespace qorvel {

// Appends the conversion of `word` to `out`. Units join with the unit after
// them only inside the word; a byte that leads no unit is copied, and a lead
// byte that is the word's last byte appends nothing. NUL bytes are ordinary
// bytes here. What it drops is noted in `log` at offsets within `word`.
void ConvertMengkeliWord(std::string_view word, std::string& out, DropLog log);

}  // namespace qorvel
