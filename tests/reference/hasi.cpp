// Kestrum's conversion loop as written: read one byte, convert the unit it
// begins (reading the unit's further bytes), write, until a NUL that
// begins a unit or the read that meets the end of the input. The table cells
// come from the converter's own table; the hex in them is decoded here.

#include <optional>

#include "codec/hasi.h"
#include "reference/reference.h"
#include "support/hex.h"

namespace qorvel {
namespace {

constexpr int kEof = -1;
constexpr unsigned char kGrave = 0x60;
constexpr unsigned char kTilde = 0x7E;

// The GlyphCodes of cell (prefix, b), decoded the first time they are asked
// for: decoding a cell for every byte made this reference the slowest part
// of a fuzz run.
const std::string& Glyphs(unsigned char prefix, unsigned char b) {
  static std::optional<std::string> decoded[3][256];
  std::optional<std::string>& d = decoded[prefix == 0 ? 0 : prefix == kGrave ? 1 : 2][b];
  if (!d) d = testing::H(HasiTableCell(prefix, b));
  return *d;
}

// A first byte below 0x7F that neither is a prefix nor starts a pair.
std::string Alone(int b) {
  if (b == '\r' || b == '\n') return std::string(1, static_cast<char>(b));
  const std::string_view cell = HasiTableCell(0, static_cast<unsigned char>(b));
  if (cell == "copy") return std::string(1, static_cast<char>(b));
  return Glyphs(0, static_cast<unsigned char>(b));  // dropped bytes have an empty cell
}

// The byte after a tilde prefix.
std::string AfterTilde(int f) { return f == kEof ? std::string() : Glyphs(kTilde, static_cast<unsigned char>(f)); }

}  // namespace

ReferenceResult ReferenceHasi(std::string_view in, bool keep) {
  ReferenceResult r;
  std::size_t pos = 0;
  bool eof = false;
  const auto read = [&]() -> int {
    if (pos == in.size()) {
      eof = true;
      return kEof;
    }
    return static_cast<unsigned char>(in[pos++]);
  };
  while (!eof) {
    const int b = read();
    if (b == 0) {
      r.endedAtNul = true;
      break;
    }
    const std::string_view cell = b >= 0 ? HasiTableCell(0, static_cast<unsigned char>(b)) : "";
    const std::size_t start = pos - 1;
    std::string unit;
    if (b == kEof) {
      // The read that meets the end begins nothing.
    } else if (b >= 0x80 || cell == "pair") {
      unit += static_cast<char>(b);
      const int t = read();
      if (t != kEof) unit += static_cast<char>(t);  // a lead byte at the very end is written alone
    } else if (cell == "prefix" && b == kGrave) {
      const int f = read();
      const std::string_view own = f == kEof ? "" : HasiTableCell(kGrave, static_cast<unsigned char>(f));
      if (!own.empty()) unit = Glyphs(kGrave, static_cast<unsigned char>(f));
      else if (f >= 'a' && f <= '}') unit = Alone(f);
      else if (f == kTilde) unit = AfterTilde(read());
    } else if (cell == "prefix" && b == kTilde) {
      unit = AfterTilde(read());
    } else if (keep && b < 0x20 && b != '\r' && b != '\n') {
      unit = std::string(1, static_cast<char>(b));  // a control byte, kept
    } else {
      unit = Alone(b);
    }
    // A step that wrote nothing drops every byte it took.
    if (b != kEof && unit.empty())
      for (std::size_t k = start; k < pos; ++k) r.dropped.push_back(k);
    r.out += unit;
  }
  r.consumed = pos;
  return r;
}

}  // namespace qorvel
