#include "cli/args.h"

namespace qorvel::cli {

bool ParsedArgs::Has(const std::string& name) const {
  for (const auto& [n, v] : options)
    if (n == name) return true;
  return false;
}

std::optional<std::string> ParsedArgs::Value(const std::string& name) const {
  std::optional<std::string> value;
  for (const auto& [n, v] : options)
    if (n == name) value = v;
  return value;
}

ParsedArgs ParseArgs(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs) {
  ParsedArgs parsed;
  bool optionsDone = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsDone || arg == "-" || arg.size() < 2 || arg[0] != '-') {
      parsed.operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsDone = true;
      continue;
    }
    const OptionSpec* spec = nullptr;
    std::optional<std::string> inlineValue;
    std::string shown;
    if (arg[1] == '-') {
      std::string name = arg.substr(2);
      if (const auto eq = name.find('='); eq != std::string::npos) {
        inlineValue = name.substr(eq + 1);
        name.resize(eq);
      }
      for (const auto& s : specs)
        if (name == s.longName) spec = &s;
      shown = "--" + name;
    } else {
      for (const auto& s : specs)
        if (s.shortName == arg[1]) spec = &s;
      shown = arg.substr(0, 2);
      if (arg.size() > 2) inlineValue = arg.substr(2);
    }
    if (!spec) throw UsageError("unknown option '" + shown + "'");
    if (!spec->takesValue) {
      if (inlineValue) throw UsageError("option '" + shown + "' takes no value");
      parsed.options.emplace_back(spec->longName, "");
      continue;
    }
    if (!inlineValue) {
      if (i + 1 >= args.size()) throw UsageError("option '" + shown + "' needs a value");
      inlineValue = args[++i];
    }
    parsed.options.emplace_back(spec->longName, *inlineValue);
  }
  return parsed;
}

}  // namespace qorvel::cli
