#include "mengkeli/word.h"

#include "mengkeli/mengkeli_table.h"

namespace qorvel {

void ConvertMengkeliWord(std::string_view word, std::string& out) {
  ScanUnits(MengkeliUnitTable(), word, out);
}

}  // namespace qorvel
