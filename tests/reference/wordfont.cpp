// The Word-font paste: each byte of the text, up to its first NUL, looked up
// on its own in the converter's table.

#include <optional>

#include "codec/wordfont.h"
#include "reference/reference.h"
#include "support/hex.h"

namespace qorvel {
namespace {

// The bytes of cell `b`, decoded the first time they are asked for:
// decoding a cell for every byte made this reference the slowest part of a
// fuzz run.
const std::string& Cell(unsigned char b) {
  static std::optional<std::string> decoded[256];
  if (!decoded[b]) decoded[b] = testing::H(WordFontTableCell(b));
  return *decoded[b];
}

}  // namespace

std::string ReferenceWordFont(std::string_view text, bool keep, DroppedOffsets* dropped) {
  text = text.substr(0, text.find('\0'));
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (!Cell(b).empty()) {
      out += Cell(b);
    } else if (keep && KeptAlone(b)) {
      out += text[i];
    } else if (keep && KeptLead(b) && i + 1 < text.size() && KeptTrail(static_cast<unsigned char>(text[i + 1]))) {
      out += text.substr(i, 2);  // one GBK character of another script
      ++i;
    } else if (dropped) {
      dropped->push_back(i);
    }
  }
  return out;
}

}  // namespace qorvel
