#include "codec/wordfont.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "codec/hex_cell.h"

namespace qorvel {
namespace {

// The Word-font table for the printable bytes 0x20..0x7F: one row per high
// hexadecimal digit, one cell per low digit. A cell is written in hex: a
// group of four digits is a double-byte character (F8A2 is the bytes F8 A2,
// A1B7 is 》), a group of two digits is a single byte (20 is the space);
// groups are appended in the order shown. An empty cell drops the byte.
//
// '$' (0x24) has no complete character: its code would be the lead byte F8
// alone, which pairs with whatever byte comes next and garbles the rest of
// the text. It is dropped.
constexpr std::string_view kWordFontGrid[6][16] = {
    //        x0      x1           x2           x3      x4      x5      x6      x7      x8           x9           xA      xB           xC      xD      xE      xF
    /* 2x */ {"20",   "F8A2",      "",          "F8F7", "",     "F8FA", "",     "F8A5", "F8CB",      "F8CA F8B8", "F9A2", "F8E6",      "F8DA", "F8CF", "F8DB", "F8AC"},
    /* 3x */ {"F8CD", "F8FB F8B8", "F8DC F8B8", "F8F5", "F8F9", "F8F6", "F8FB", "F9A1", "F8FC",      "F8CA",      "F8A7", "F8A6",      "",     "F8E9", "",     "F8AA"},
    /* 4x */ {"F8F4", "F8B3",      "F8F0",      "F8B9", "A1B7", "F8B2", "F8D4", "F8B8", "F8DC F8D7", "F8A3",      "A1B6", "F8C3 F8B8", "F8C9", "F8C0", "F8BE", "F8E1"},
    /* 5x */ {"F8C5", "F8D3",      "F8D7",      "F8B5", "F8D5", "F8DE", "F8EE", "F8EF", "F8EC",      "F8DC F8E5", "F8EA", "F8E4",      "F8A4", "F8E7", "F8FD", "F8CE"},
    /* 6x */ {"F8F2", "F8B7",      "F8F1",      "F8ED", "F8B6", "F8B9", "F8B4", "F8BB", "F8BC",      "F8DF",      "F8C3", "F8C8",      "F8BD", "F8D9", "F8BF", "F8E3"},
    /* 7x */ {"F8E2", "F8DD",      "F8D8",      "F8B5", "F8C4", "F8E0", "F8EE", "F8D3", "F8BA",      "F8DC",      "F8EB", "28",        "2D",   "29",   "F8F3", ""},
};

// The bytes outside the grid that are kept; every other one is dropped.
struct ExtraByte {
  unsigned char byte;
  std::string_view cell;
};
constexpr ExtraByte kWordFontExtras[] = {
    {0x0D, "0D"},    // CR
    {0x0A, "0A"},    // LF
    {0xB4, "A1B6"},  // 《, the same as 'J'
    {0xCE, "F8C1"},
};

// What one byte appends: up to four bytes, stored whole so that the inner
// loop copies a fixed four and advances by `len`.
struct alignas(8) Output {
  char bytes[4] = {};
  std::uint8_t len = 0;
};

consteval Output DecodeCell(std::string_view cell) {
  const HexCell hex = DecodeHexCell(cell);
  if (hex.len > sizeof(Output::bytes)) throw "table cell: more than four bytes";
  Output o;
  for (std::uint8_t k = 0; k < hex.len; ++k) o.bytes[k] = hex.bytes[k];
  o.len = hex.len;
  return o;
}

consteval std::array<Output, 256> BuildTable() {
  std::array<Output, 256> table{};
  for (int row = 0; row < 6; ++row)
    for (int col = 0; col < 16; ++col) table[0x20 + row * 16 + col] = DecodeCell(kWordFontGrid[row][col]);
  for (const ExtraByte& e : kWordFontExtras) table[e.byte] = DecodeCell(e.cell);
  return table;
}

constexpr std::array<Output, 256> kWordFontTable = BuildTable();

// Input is converted in blocks into a buffer on the stack, which is then
// appended whole.
constexpr std::size_t kBlock = 4096;

}  // namespace

std::string_view WordFontTableCell(unsigned char b) {
  for (const ExtraByte& e : kWordFontExtras)
    if (e.byte == b) return e.cell;
  return b >= 0x20 && b <= 0x7F ? kWordFontGrid[(b >> 4) - 2][b & 15] : std::string_view();
}

void ConvertWordFontPaste(std::string_view text, std::string& out) {
  Drops drops;
  ConvertWordFontPasteChunk(text.substr(0, text.find('\0')), true, out, {drops, 0});
}

namespace {

// One block of the scan without the keep rule (kNoting: see DropTally).
template <bool kNoting>
char* ConvertBlock(const unsigned char* begin, const unsigned char* p, const unsigned char* blockEnd, char* o,
                   DropTally& outer) {
  DropTally tally = outer;  // a local copy stays in registers
  // Unrolled, the loop's own steps make room for the count's.
#pragma GCC unroll 8
  for (; p < blockEnd; ++p) {
    const Output& cell = kWordFontTable[*p];
    std::memcpy(o, cell.bytes, 4);
    o += cell.len;
    // A byte is dropped when it appends nothing: the test is on the length
    // just loaded, as a further load per byte would cost the loop a fifth.
    if constexpr (kNoting) {
      if (cell.len == 0) [[unlikely]] tally.Add(static_cast<std::size_t>(p - begin), 1);
    } else {
      tally.Add<false>(0, cell.len == 0);
    }
  }
  outer = tally;
  return o;
}

// The scan, with or without the keep rule: every byte is looked up on its
// own; under the keep rule a byte the table drops may be copied, or take the
// byte after it along (see ConvertOptions), which is the one place a byte
// depends on the next.
template <bool kKeep>
std::size_t ScanWordFont(std::string_view text, bool last, std::string& out, DropLog log) {
  out.reserve(out.size() + 2 * text.size());
  char buf[4 * kBlock];
  const auto* const begin = reinterpret_cast<const unsigned char*>(text.data());
  const auto* p = begin;
  const auto* const end = p + text.size();
  DropTally tally(log);
  while (p < end) {
    const auto* const blockEnd = p + std::min<std::size_t>(kBlock, static_cast<std::size_t>(end - p));
    char* o = buf;
    if constexpr (!kKeep) {
      o = tally.Noting() ? ConvertBlock<true>(begin, p, blockEnd, o, tally)
                         : ConvertBlock<false>(begin, p, blockEnd, o, tally);
      p = blockEnd;
    } else {
      for (; p < blockEnd; ++p) {
        const Output& cell = kWordFontTable[*p];
        std::memcpy(o, cell.bytes, 4);
        o += cell.len;
        if (cell.len != 0) continue;
        if (KeptAlone(*p)) {
          *o++ = static_cast<char>(*p);
          continue;
        }
        if (KeptLead(*p)) {
          if (p + 1 == end && !last) {  // the byte it may take comes with the next piece
            out.append(buf, static_cast<std::size_t>(o - buf));
            tally.Flush();
            return static_cast<std::size_t>(p - begin);
          }
          if (p + 1 < end && KeptTrail(p[1])) {
            *o++ = static_cast<char>(p[0]);
            *o++ = static_cast<char>(p[1]);
            ++p;
            continue;
          }
        }
        tally.Add(static_cast<std::size_t>(p - begin), 1);
      }
    }
    out.append(buf, static_cast<std::size_t>(o - buf));
  }
  tally.Flush();
  return text.size();
}

}  // namespace

std::size_t ConvertWordFontPasteChunk(std::string_view text, bool last, std::string& out, DropLog log) {
  return ScanWordFont<false>(text, last, out, log);
}

std::size_t ConvertWordFontKeepChunk(std::string_view text, bool last, std::string& out, DropLog log) {
  return ScanWordFont<true>(text, last, out, log);
}

std::size_t WordFontPasteFreshStart(std::string_view text, std::size_t from) {
  return from < text.size() ? from : std::string_view::npos;
}

std::size_t WordFontKeepFreshStart(std::string_view text, std::size_t from) {
  // After any byte that cannot take the next one along, a step starts.
  for (std::size_t p = std::max<std::size_t>(from, 1); p < text.size(); ++p) {
    const auto b = static_cast<unsigned char>(text[p - 1]);
    if (kWordFontTable[b].len != 0 || !KeptLead(b)) return p;
  }
  return std::string_view::npos;
}

}  // namespace qorvel
