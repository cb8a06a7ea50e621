#include "codec/mingantu.h"

#include "codec/unit_table.h"

namespace qorvel {
namespace {

// clang-format off

// The unit table, one grid per lead byte: row = high digit of the second
// byte, column = low digit; rows without an entry are left out. A cell holds
// the bytes appended for the unit; "nothing" drops the unit; LA marks a
// look-ahead unit; "skip" marks a unit that swallows a following F8 AF and
// the two bytes after it; an empty cell is a unit without an entry.

// Lead byte 0xA3.
constexpr std::string_view kLeadA3[] = {
  // 2nd | x0 | x1   | x2 | x3 | x4 | x5 | x6 | x7 | x8 | x9 | xA | xB   | xC   | xD   | xE | xF
    "Ax  |    | F8A2 |    |    |    |    |    |    |    |    |    |      |      | F8B0 |    |",
    "Bx  |    |      |    |    |    |    |    |    |    |    |    | F8A9 |      |      |    | F8AA",
    "Fx  |    |      |    |    |    |    |    |    |    |    |    |      | F8B0 |      |    |",
};

// Lead byte 0xA6.
constexpr std::string_view kLeadA6[] = {
  // 2nd | x0   | x1   | x2   | x3 | x4   | x5 | x6   | x7   | x8 | x9 | xA | xB | xC | xD | xE | xF
    "Ex  | A3A8 | A3A9 |      |    |      |    | A1B6 | A1B7 |    |    |    |    |    |    |    |",
    "Fx  |      |      | F8B0 |    | F8B0 |    |      |      |    |    |    |    |    |    |    |",
};

// Lead byte 0xF8.
constexpr std::string_view kLeadF8[] = {
  // 2nd | x0      | x1        | x2             | x3        | x4             | x5   | x6        | x7        | x8   | x9        | xA             | xB        | xC      | xD        | xE      | xF
    "Ax  |         |           | F8A4           | F8A5      | F8A6           | F8A7 | A1F9      | F8B0      | F8B4 |           |                |           | nothing | nothing   | nothing | nothing",
    "Bx  | nothing | nothing   | nothing        |           |                |      |           |           |      |           |                | F8AB      | F8AC    |           |         |",
    "Cx  | nothing | F8B3 F8B6 | F8B3 F8B5      | F8B3 F8B4 | F8B3           | F8B6 |           | F8B5      |      | F8B4      |                | F8D1      |         | F8B3 F8B5 | F8B7    | F8B3 F8B4",
    "Dx  | F8B6    | F8B5      |                | F8B4      | F8B4           |      | F8B3 F8BA | F8B3 F8B9 | F8BA | F8B9 F8B2 | F8BA           | F8B4 F8B9 | F8B9    | F8B9      | F8B9    | F8B9 F8B9",
    "Ex  | F8B9    | F8BA      | F8B3 F8BB      | F8B3 F8BB | F8BC           | F8BB |           |           | F8BB |           | F8B3 F8BB      | F8B3 F8BB | F8BC    | F8BB      |         |",
    "Fx  | F8BB    |           | F8B3 F8BB F8B2 | F8B3 F8BC | F8B3 F8BB F8B9 | F8BC | F8BB F8B2 | F8BB      |      |           | F8B4 F8BB F8B2 | F8BB F8B9 |         | F8BB      |         |",
};

// Lead byte 0xF9.
constexpr std::string_view kLeadF9[] = {
  // 2nd | x0        | x1             | x2        | x3             | x4   | x5        | x6   | x7   | x8        | x9             | xA        | xB   | xC   | xD   | xE             | xF
    "Ax  |           | F8B3 F8BB F8B2 | F8B3 F8BC | F8B3 F8BB F8B9 | F8BC | F8BB F8B2 |      |      |           | F8B4 F8BB F8B9 | F8BB F8B9 |      | F8BB |      | F8B3 F8B8 F8B2 | F8B3 F8B8",
    "Bx  | F8B8 F8B2 | F8B8 F8B2      | F8B8      | F8B8           | F8BE | F8BE      | F8B3 | F8B3 | F8B6      | F8B6 F8C0 skip | F8BF      | F8BF | F8B4 | F8B4 | F8B4 F8B9 F8B5 | F8C1",
    "Cx  | LA        | F8C1           | F8BF      | F8B4           | LA   | LA        | F8BD | F8B5 | LA        | LA             | F8C3      | LA   | LA   |      | LA             | LA",
    "Dx  |           | F8D0           | F8D0      | F8D9           | F8D9 | LA        | LA   |      |           | F8DD           |           | F8D1 | F8DA | LA   | LA             |",
    "Ex  |           | F8D9           | F8D9      | F8D0           | F8D0 | LA        | LA   | F8DD | F8B9 F8B5 | F8DD F8DB skip | F8DA      | LA   | LA   | F8D1 | LA             | F8DC",
    "Fx  | F8DE      | F8DE           | F8E0      | F8DF           | F8DF | F8DF      | F8E1 | F8E1 | F8E3      | F8E2           | F8E2      |      | F8E4 | F8E4 | F8E6           |",
};

// Lead byte 0xFA.
constexpr std::string_view kLeadFA[] = {
  // 2nd | x0        | x1   | x2        | x3        | x4   | x5        | x6   | x7        | x8        | x9        | xA        | xB        | xC        | xD        | xE   | xF
    "Ax  |           |      | F8E5      | F8E5      | F8E7 | F8E7      | F8E9 | F8E8      | F8E8      | F8EA      | F8EA      | F8EA F8B2 | F8EB      | F8EA      | F8EA | F8EB",
    "Bx  | F8EA      | F8EA | F8BB F8B6 | F8EB F8B2 | F8EB | F8BB F8B4 | F8EC | F8EC F8B2 | F8EC      | F8B9      | F8B9      | F8ED F8B2 | F8BA      | F8ED      | F8EE | F8BA",
    "Cx  | F8EE      | F8F0 | F8F0      | F8F1      | F8F0 | F8F0      | F8B8 | F8B8 F8B2 | F8BC      | F8B8      | LA        |           |           | F8F5      |      |",
    "Dx  | LA        | LA   |           | LA        |      |           | LA   |           |           |           |           |           | F8F2      | F8F2 F8B2 | F8F2 | F8F3",
    "Ex  | F8F3 F8B2 | F8F3 | F8B3 F8F4 | F8F4 F8B2 | F8F4 | F8EF      | F8EF | F8EF F8B2 | F8E1 F8F4 | F8E2 F8F4 | F8E2 F8F4 | F8F4      | F8BB F8BB |           |      | F8B9",
};

// Look-ahead rules: the units that share a rule, the following units that
// join them with the joined output, and the output when none joins.
constexpr ListRule kRules[] = {
    {"F9 C0",                      "F9 FB -> F8B4 F8D4", "F8C1"},
    {"F9 EE",                      "F9 FB -> F8D4", "F8DC"},
    {"F9 C4, F9 C8",               "F8 C8, F8 D2 -> F8C4 F8B5; F8 CA, F8 CC, F8 D4, F8 D5 -> F8C4; F8 DD -> F8C8; F9 FB -> F8C5", "F8C3"},
    {"F9 CB, F9 CE",               "F8 C8, F8 D2 -> F8CB F8B5; F8 CA, F8 CC, F8 D4, F8 D5 -> F8CB; F8 DD -> F8CD; F9 FB -> F8CA F8E2", "F8CA"},
    {"F9 D5, F9 DD, F9 E5, F9 EB", "F8 D2 -> F8D3 F8B5; F8 D4, F8 D5 -> F8D3; F8 DD -> F8D7; F8 D9 -> F8D7 F8B2; F9 B3 -> F8DC F8B8; F9 FB -> F8D4", "nothing"},
    {"FA D0, FA D3, FA D6",        "F8 D2 -> F8FD F8B5; F8 CA, F8 D4, F8 D5 -> F8FD; F8 DD -> F9A1; F8 D9 -> F9A1 F8B2", "nothing"},
    {"F9 C5, F9 C9",               "F8 E6, F8 E9, F8 EE, F8 F1, F8 FE, F9 AD -> F8C9; F8 FC, F9 AB -> F8C9 F8B9", "nothing"},
    {"F9 CC, F9 CF",               "F8 EE, F8 F1, F8 FE, F9 A7, F9 AD -> F8CE; F8 FC, F9 AB -> F8CE F8B9; F9 A8 -> F8CE F8B2", "nothing"},
    {"F9 D6, F9 DE, F9 E6, F9 EC", "F8 F8, F8 FE, F9 A7, F9 AD -> F8D8; F8 FC, F9 AB -> F8D8 F8B9; F8 F9 -> F8D8 F8B2", "nothing"},
    {"FA D1",                      "F8 F1, F9 A7, F9 AD -> F9A2; F8 FC, F9 AB -> F9A2 F8B9", "nothing"},
    {"FA CA",                      "FA C9 -> F8F5 F8B8; F8 CC -> F8F7", "nothing"},
};

// clang-format on

consteval UnitTable BuildMingantuTable() {
  // Lead bytes in the order they are tested: a unit without an entry whose
  // second byte is a later lead byte goes on at that byte.
  UnitTableBuilder builder("A6 A3 F8 F9 FA", NoEntryPolicy::kRestartAtLaterLead);
  builder.Grid(0xA3, kLeadA3).Grid(0xA6, kLeadA6).Grid(0xF8, kLeadF8).Grid(0xF9, kLeadF9).Grid(0xFA, kLeadFA);
  builder.ListRules(kRules).Skip("F8 AF", 2);
  return builder.Build();
}

}  // namespace

const UnitTable& MingantuUnitTable() {
  static constexpr UnitTable kTable = BuildMingantuTable();
  return kTable;
}

void ConvertMingantuPaste(std::string_view text, std::string& out) {
  Drops drops;
  ConvertMingantuPasteChunk(CutAtNul(text), true, out, {drops, 0});
}

std::size_t ConvertMingantuPasteChunk(std::string_view text, bool last, std::string& out, DropLog log) {
  return ScanUnits(MingantuUnitTable(), text, last, out, log);
}

std::size_t MingantuPasteFreshStart(std::string_view text, std::size_t from) {
  return UnitFreshStart(MingantuUnitTable(), text, from);
}

}  // namespace qorvel
