#pragma once
// A small GNU-style option parser: long options (--name VALUE, --name=VALUE),
// short options (-o VALUE, -oVALUE), "--" to end options, "-" as an operand.

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace qorvel::cli {

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct OptionSpec {
  const char* longName;  // without the dashes
  char shortName;        // 0 for none
  bool takesValue;
};

struct ParsedArgs {
  std::vector<std::pair<std::string, std::string>> options;  // long name, value
  std::vector<std::string> operands;

  bool Has(const std::string& name) const;
  std::optional<std::string> Value(const std::string& name) const;  // the last one given
};

// Throws UsageError naming the unknown option or the missing value.
ParsedArgs ParseArgs(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs);

}  // namespace qorvel::cli
