// The two-byte unit codes: Mengkeli (paste, and each word of a file) and
// Mingantu, scanned a position at a time as their rules are written.

#include "codec/mengkeli_table.h"
#include "codec/mingantu.h"
#include "reference/reference.h"

namespace qorvel {

std::string ReferenceUnitScan(const UnitTable& table, std::string_view text, DroppedOffsets* dropped) {
  const std::size_t n = text.size();
  const auto at = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
  const auto isLead = [&](std::uint8_t b) { return table.Find(b, 0) != nullptr; };
  // A step from `i` that wrote `written` (nothing: its `bytes` bytes are dropped).
  const auto step = [&](std::size_t i, std::size_t bytes, std::string_view written) {
    if (!written.empty() || !dropped) return;
    for (std::size_t k = 0; k < bytes; ++k) dropped->push_back(i + k);
  };
  std::string out;
  std::size_t i = 0;
  while (i < n) {
    const std::uint8_t lead = at(i);
    if (!isLead(lead)) {
      out += text[i];
      i += 1;
      continue;
    }
    // A lead byte with nothing after it: the text is over, and it is dropped.
    if (i + 1 == n) {
      step(i, 1, "");
      break;
    }
    const UnitCell& unit = *table.Find(lead, at(i + 1));
    // The following unit is the next two bytes, when both are there.
    const bool following = i + 3 < n;
    switch (unit.kind) {
      case UnitKind::kFixed:
        out += unit.out.View();
        step(i, 2, unit.out.View());
        i += 2;
        break;
      case UnitKind::kLookAhead: {
        const UnitOutput* joined = following ? table.FindJoin(unit, at(i + 2), at(i + 3)) : nullptr;
        const std::string_view written = joined ? joined->View() : unit.out.View();
        out += written;
        step(i, joined ? 4 : 2, written);
        i += joined ? 4 : 2;
        break;
      }
      case UnitKind::kSkip:
        // Swallows the skip unit and the bytes after it; past the end of the
        // text that ends the scan.
        out += unit.out.View();
        if (following && at(i + 2) == table.skipLead && at(i + 3) == table.skipSecond)
          i += 4 + table.skipExtra;
        else
          i += 2;
        break;
      case UnitKind::kNoEntry:
        // The lead byte goes. Under the restart policy a second byte that is
        // a lead byte later in the test order starts the next unit;
        // otherwise the second byte is kept.
        step(i, 1, "");
        if (table.noEntry == NoEntryPolicy::kRestartAtLaterLead && isLead(at(i + 1)) &&
            table.leadIndex[at(i + 1)] > table.leadIndex[lead]) {
          i += 1;
        } else {
          out += text[i + 1];
          i += 2;
        }
        break;
    }
  }
  return out;
}

std::string ReferenceMengkeliPaste(std::string_view text, DroppedOffsets* dropped) {
  return ReferenceUnitScan(MengkeliUnitTable(), text.substr(0, text.find('\0')), dropped);
}

std::string ReferenceMingantu(std::string_view text, DroppedOffsets* dropped) {
  return ReferenceUnitScan(MingantuUnitTable(), text.substr(0, text.find('\0')), dropped);
}

}  // namespace qorvel
