#include "codec/mengkeli_word.h"

#include "codec/mengkeli_table.h"

namespace qorvel {

void ConvertMengkeliWord(std::string_view word, std::string& out, DropLog log) {
  ScanUnits(MengkeliUnitTable(), word, true, out, log);
}

}  // namespace qorvel
