#include <algorithm>
#include <cstring>

#include "mengkeli/byte_writer.h"
#include "mengkeli/unit_table.h"

namespace qorvel {

std::string_view CutAtNul(std::string_view text) {
  if (const void* nul = std::memchr(text.data(), 0, text.size()))
    return text.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - text.data()));
  return text;
}

namespace {

// A unit at `i` (s[i] is a lead byte, i < n), taken with every check; returns
// where the scan goes on.
inline std::size_t StepUnit(const UnitTable& table, const unsigned char* s, std::size_t n, std::size_t i,
                     ByteWriter& w) {
  if (i + 1 == n) return n;  // a lead byte with nothing after it is dropped
  const int lead = table.leadIndex[s[i]];
  const UnitCell& cell = table.units[static_cast<std::size_t>(lead)][s[i + 1]];
  switch (cell.step) {
    case UnitStep::kRestart:
      return i + 1;  // the second byte leads the next unit
    case UnitStep::kSkip:
      w.Put8(cell.out.bytes.data(), cell.out.size);
      if (i + 3 < n && s[i + 2] == table.skipLead && s[i + 3] == table.skipSecond)
        return std::min(n, i + 4 + table.skipExtra);  // past the end: the scan is over
      return i + 2;
    case UnitStep::kPlain:
      break;
  }
  // Only a whole following unit inside the text can join.
  if (i + 3 < n) {
    const std::size_t col = table.column[static_cast<std::size_t>(table.leadIndex[s[i + 2]] + 1)][s[i + 3]];
    const JoinCell& join = table.joins[cell.rule * table.columnStride + col];
    if (join.joins) {
      w.Put8(join.out.bytes.data(), join.out.size);
      return i + 4;
    }
  }
  w.Put8(cell.out.bytes.data(), cell.out.size);
  return i + 2;
}

}  // namespace

void ScanUnits(const UnitTable& table, std::string_view text, std::string& out) {
  ByteWriter w(out, text.size() + text.size() / 2);
  ScanUnits(table, text, w);
}

void ScanUnits(const UnitTable& table, std::string_view text, ByteWriter& out) {
  ByteWriter w(out);
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  const auto& leadIndex = table.leadIndex;
  std::size_t i = 0;
  while (i < n) {
    const int lead = leadIndex[s[i]];
    if (lead < 0) {
      // Bytes that start no unit pass through, a run at a time; plain ASCII
      // is skipped eight bytes at once.
      std::size_t j = i + 1;
      while (j < n) {
        if (j + 8 <= n) {
          std::uint64_t x;
          std::memcpy(&x, s + j, 8);
          if ((x & 0x8080808080808080u) == 0) {
            j += 8;
            continue;
          }
        }
        if (leadIndex[s[j]] >= 0) break;
        ++j;
      }
      w.Run(text.data() + i, j - i, text.data() + n);
      i = j;
      continue;
    }
    if (i + 3 < n) {
      // The common case: a plain unit with a whole following unit inside the
      // text. Row 0 of the joins joins nothing, so a unit without a rule
      // takes the same path.
      const UnitCell& cell = table.units[static_cast<std::size_t>(lead)][s[i + 1]];
      if (cell.step == UnitStep::kPlain) {
        const std::size_t col = table.column[static_cast<std::size_t>(leadIndex[s[i + 2]] + 1)][s[i + 3]];
        const JoinCell& join = table.joins[cell.rule * table.columnStride + col];
        const UnitOutput& o = join.joins ? join.out : cell.out;
        w.Put8(o.bytes.data(), o.size);
        i += join.joins ? 4 : 2;
        continue;
      }
    }
    i = StepUnit(table, s, n, i, w);
  }
}

}  // namespace qorvel
