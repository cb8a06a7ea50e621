// The Word-font paste: each byte of the text, up to its first NUL, looked up
// on its own in the converter's table.

#include "codec/wordfont.h"
#include "reference/reference.h"
#include "support/hex.h"

namespace qorvel {

std::string ReferenceWordFont(std::string_view text) {
  std::string out;
  for (char c : text.substr(0, text.find('\0'))) out += testing::H(WordFontTableCell(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace qorvel
