#include "mengkeli/paste.h"

#include "mengkeli/mengkeli_table.h"

namespace qorvel {

void ConvertMengkeliPaste(std::string_view text, std::string& out) {
  ScanUnits(MengkeliUnitTable(), CutAtNul(text), out);
}

}  // namespace qorvel
