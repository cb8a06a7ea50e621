#include "cli/modes.h"

namespace qorvel::cli {

const std::vector<ConvertMode>& ConvertModes() {
  static const std::vector<ConvertMode> modes = {};
  return modes;
}

const ConvertMode* FindConvertMode(std::string_view name) {
  for (const auto& mode : ConvertModes())
    if (name == mode.name) return &mode;
  return nullptr;
}

}  // namespace qorvel::cli
