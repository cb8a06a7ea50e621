// The references by the names of the registry's codes.

#include <stdexcept>

#include "reference/reference.h"

namespace qorvel {
namespace {

// A paste code: the clipboard text is the input up to its first NUL.
template <class Convert>
ReferenceResult Paste(std::string_view input, Convert convert) {
  ReferenceResult r;
  const std::size_t nul = input.find('\0');
  r.endedAtNul = nul != std::string_view::npos;
  r.consumed = r.endedAtNul ? nul + 1 : input.size();
  r.out = convert(input.substr(0, r.consumed), &r.dropped);
  return r;
}

// The unit codes keep nothing more under the keep rule.
template <std::string (*kConvert)(std::string_view, DroppedOffsets*)>
ReferenceResult UnitPaste(std::string_view input, bool) {
  return Paste(input, kConvert);
}

ReferenceResult WordFont(std::string_view input, bool keep) {
  return Paste(input, [keep](std::string_view text, DroppedOffsets* dropped) {
    return ReferenceWordFont(text, keep, dropped);
  });
}

struct ReferenceCode {
  std::string_view name;
  ReferenceResult (*run)(std::string_view input, bool keep);
};

constexpr ReferenceCode kReferences[] = {
    {"mengkeli", &ReferenceMengkeliFile},
    {"mengkeli-paste", &UnitPaste<&ReferenceMengkeliPaste>},
    {"mingantu", &UnitPaste<&ReferenceMingantu>},
    {"wordfont", &WordFont},
    {"hasi", &ReferenceHasi},
};

}  // namespace

ReferenceResult ReferenceRun(std::string_view codecName, std::string_view input, bool keep) {
  for (const ReferenceCode& code : kReferences)
    if (code.name == codecName) return code.run(input, keep);
  throw std::invalid_argument("no reference conversion for the code '" + std::string(codecName) +
                              "': add one to tests/reference");
}

std::string ReferenceConvert(std::string_view codecName, std::string_view input) {
  return ReferenceRun(codecName, input).out;
}

}  // namespace qorvel
