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

std::string ReferenceWordFont(std::string_view text) {
  std::string out;
  for (char c : text.substr(0, text.find('\0'))) out += Cell(static_cast<unsigned char>(c));
  return out;
}

}  // namespace qorvel
