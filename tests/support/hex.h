#pragma once
// Byte strings written as hexadecimal in the tests: "F8A2 41" is F8 A2 41.

#include <string>
#include <string_view>

namespace qorvel::testing {

inline std::string H(std::string_view hex) {
  std::string bytes;
  for (std::size_t k = 0; k < hex.size(); ++k)
    if (hex[k] != ' ') bytes.push_back(static_cast<char>(std::stoi(std::string(hex.substr(k++, 2)), nullptr, 16)));
  return bytes;
}

}  // namespace qorvel::testing
