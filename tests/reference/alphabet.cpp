#include "reference/alphabet.h"

#include <span>

#include "codec/mengkeli_table.h"
#include "codec/mingantu.h"
#include "codec/unit_table.h"

namespace qorvel {
namespace {

using namespace std::string_literals;

std::string Unit(std::uint8_t lead, int second) { return {static_cast<char>(lead), static_cast<char>(second)}; }

// Every unit with an entry; each look-ahead unit with every unit that joins
// it and a few times alone; each skip unit with the unit it swallows. So
// about two units in three look ahead.
Alphabet UnitCodeAlphabet(const UnitTable& t) {
  Alphabet a;
  const std::span<const std::uint8_t> leads = std::span(t.leads).first(static_cast<std::size_t>(t.leadCount));
  for (std::uint8_t lead : leads) {
    for (int second = 0; second < 256; ++second) {
      const UnitCell& cell = *t.Find(lead, static_cast<std::uint8_t>(second));
      if (cell.kind == UnitKind::kNoEntry) continue;
      const std::string u = Unit(lead, second);
      a.units.push_back(u);
      if (cell.kind == UnitKind::kSkip) a.units.push_back(u + Unit(t.skipLead, t.skipSecond));
      if (cell.kind != UnitKind::kLookAhead) continue;
      a.units.insert(a.units.end(), 3, u);
      for (std::uint8_t followLead : leads)
        for (int followSecond = 0; followSecond < 256; ++followSecond)
          if (t.FindJoin(cell, followLead, static_cast<std::uint8_t>(followSecond)))
            a.units.push_back(u + Unit(followLead, followSecond));
    }
  }
  // Spaces and line ends, the pairs a file translates, GBK text, lone lead
  // bytes.
  a.separators = {" ", "  ", "    ", "\r\n", "\n", "\t", ",", "~", "\xA1\xA4", "\xA3\xA5", "\xA1\xA3", "\xB0\xA1",
                  "\xA1", "\xA3", "\xA6", "\xF8", "\xF9", "\xFA", "\xFB"};
  return a;
}

// Single bytes, and the prefixes before every printable byte.
Alphabet HasiAlphabet() {
  Alphabet a;
  for (int b = 0x20; b <= 0x7F; ++b) {
    const char c = static_cast<char>(b);
    a.units.push_back(std::string(1, c));
    if (b < 0x7F) {
      a.units.push_back("`"s + c);
      a.units.push_back("~"s + c);
    }
  }
  for (char c : std::string_view("BFTbfvx!")) a.units.push_back("`~"s + c);
  a.separators = {" ", "\r\n", "\n", "\t", "12.5", "\xB0\xA1", "\xD6\xD0", "\x81"};
  return a;
}

Alphabet WordFontAlphabet() {
  Alphabet a;
  for (int b = 1; b < 256; ++b) a.units.push_back(std::string(1, static_cast<char>(b)));
  a.separators = {" ", "\r\n"};
  return a;
}

}  // namespace

Alphabet AlphabetOf(std::string_view codecName) {
  if (codecName == "mengkeli" || codecName == "mengkeli-paste") return UnitCodeAlphabet(MengkeliUnitTable());
  if (codecName == "mingantu") return UnitCodeAlphabet(MingantuUnitTable());
  if (codecName == "hasi") return HasiAlphabet();
  if (codecName == "wordfont") return WordFontAlphabet();
  return {};
}

}  // namespace qorvel
