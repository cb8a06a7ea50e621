#pragma once
// Conversion tables write their outputs as hexadecimal cells, decoded when
// the program is compiled: "F8A2" is the bytes F8 A2, "F8DC F8E5" four bytes,
// "20" the single byte 0x20, "F8 D9" the two bytes of a two-byte unit. Every
// table of the suite reads its cells through this one grammar; a malformed
// cell stops the build.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qorvel {

struct HexCell {
  static constexpr std::uint8_t kMaxBytes = 6;  // three GlyphCodes
  char bytes[kMaxBytes] = {};
  std::uint8_t len = 0;
};

consteval int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  throw "table cell: not an upper-case hex digit";
}

// Groups of two or four hex digits separated by single spaces; at most six
// bytes in all.
consteval HexCell DecodeHexCell(std::string_view cell) {
  HexCell out;
  std::size_t i = 0;
  while (i < cell.size()) {
    std::size_t group = cell.find(' ', i);
    if (group == std::string_view::npos) group = cell.size();
    const std::size_t digits = group - i;
    if (digits != 2 && digits != 4) throw "table cell: a group must have 2 or 4 hex digits";
    for (std::size_t k = i; k < group; k += 2) {
      if (out.len == HexCell::kMaxBytes) throw "table cell: more than six bytes";
      out.bytes[out.len++] = static_cast<char>(HexDigit(cell[k]) * 16 + HexDigit(cell[k + 1]));
    }
    i = group + 1;
  }
  return out;
}

}  // namespace qorvel
