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
  // A paste conversion: the whole input is a clipboard text that ends at its
  // first NUL. Null for a streaming file conversion.
  void (*paste)(std::string_view text, std::string& out);
  // A streaming file conversion. Null for a paste conversion.
  std::unique_ptr<StreamConverter> (*stream)();
};

const std::vector<ConvertMode>& ConvertModes();
const ConvertMode* FindConvertMode(std::string_view name);

}  // namespace qorvel::cli
