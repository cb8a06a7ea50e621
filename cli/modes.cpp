#include "cli/modes.h"

#include "fileio/paste_stream.h"
#include "kestrum/core/hasi.h"
#include "mengkeli/paste.h"
#include "orlenta/core/mengkeli_file.h"
#include "velmar/core/mingantu.h"
#include "velmar/core/wordfont.h"

namespace qorvel::cli {
namespace {

template <class Converter>
std::unique_ptr<StreamConverter> Make() {
  return std::make_unique<Converter>();
}

// A paste conversion read in chunks: the clipboard text is the file, up to
// its first NUL byte.
template <ResumableScan kScan>
std::unique_ptr<StreamConverter> MakePaste() {
  return std::make_unique<PasteStream>(kScan);
}

}  // namespace

const std::vector<ConvertMode>& ConvertModes() {
  static const std::vector<ConvertMode> modes = {
      {"mengkeli", "Mengkeli code file to Qorvel 2006 code, as Orlenta writes it",
       &Make<MengkeliFileConverter>},
      {"mengkeli-paste", "Mengkeli code text, as Velmar's Mengkeli paste appends it",
       &MakePaste<&ConvertMengkeliPasteChunk>},
      {"mingantu", "Mingantu code text, as Velmar's Mingantu paste appends it",
       &MakePaste<&ConvertMingantuPasteChunk>},
      {"wordfont", "Word-font text, as Velmar's Word-font paste appends it",
       &MakePaste<&ConvertWordFontPasteChunk>},
      {"hasi", "Hasi code file to Qorvel 2006 international code, as Kestrum writes it",
       &Make<HasiConverter>},
  };
  return modes;
}

const ConvertMode* FindConvertMode(std::string_view name) {
  for (const auto& mode : ConvertModes())
    if (name == mode.name) return &mode;
  return nullptr;
}

}  // namespace qorvel::cli
