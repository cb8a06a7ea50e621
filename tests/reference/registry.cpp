// The references by the names of the registry's codes.

#include <stdexcept>

#include "reference/reference.h"

namespace qorvel {
namespace {

// A paste code: the clipboard text is the input up to its first NUL.
template <std::string (*kConvert)(std::string_view)>
ReferenceResult Paste(std::string_view input) {
  ReferenceResult r;
  const std::size_t nul = input.find('\0');
  r.endedAtNul = nul != std::string_view::npos;
  r.consumed = r.endedAtNul ? nul + 1 : input.size();
  r.out = kConvert(input.substr(0, r.consumed));
  return r;
}

struct ReferenceCode {
  std::string_view name;
  ReferenceResult (*run)(std::string_view input);
};

constexpr ReferenceCode kReferences[] = {
    {"mengkeli", &ReferenceMengkeliFile},
    {"mengkeli-paste", &Paste<&ReferenceMengkeliPaste>},
    {"mingantu", &Paste<&ReferenceMingantu>},
    {"wordfont", &Paste<&ReferenceWordFont>},
    {"hasi", &ReferenceHasi},
};

}  // namespace

ReferenceResult ReferenceRun(std::string_view codecName, std::string_view input) {
  for (const ReferenceCode& code : kReferences)
    if (code.name == codecName) return code.run(input);
  throw std::invalid_argument("no reference conversion for the code '" + std::string(codecName) +
                              "': add one to tests/reference");
}

std::string ReferenceConvert(std::string_view codecName, std::string_view input) {
  return ReferenceRun(codecName, input).out;
}

}  // namespace qorvel
