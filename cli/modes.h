#pragma once
// The source codes that `qorvel convert --from MODE` knows.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fileio/stream_converter.h"

namespace qorvel::cli {

struct ConvertMode {
  const char* name;
  const char* description;
  // Makes the converter; every mode streams, the paste modes through
  // PasteStream (the clipboard text is the file, up to its first NUL).
  std::unique_ptr<StreamConverter> (*stream)();
};

const std::vector<ConvertMode>& ConvertModes();
const ConvertMode* FindConvertMode(std::string_view name);

}  // namespace qorvel::cli
