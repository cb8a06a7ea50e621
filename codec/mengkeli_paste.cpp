#include "codec/mengkeli_paste.h"

#include "codec/mengkeli_table.h"

namespace qorvel {

void ConvertMengkeliPaste(std::string_view text, std::string& out) {
  Drops drops;
  ConvertMengkeliPasteChunk(CutAtNul(text), true, out, {drops, 0});
}

std::size_t ConvertMengkeliPasteChunk(std::string_view text, bool last, std::string& out, DropLog log) {
  return ScanUnits(MengkeliUnitTable(), text, last, out, log);
}

std::size_t MengkeliPasteFreshStart(std::string_view text, std::size_t from) {
  return UnitFreshStart(MengkeliUnitTable(), text, from);
}

}  // namespace qorvel
