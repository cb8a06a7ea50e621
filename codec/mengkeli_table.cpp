#include "codec/mengkeli_table.h"

namespace qorvel {
namespace {

// clang-format off

// Units with a fixed output, one grid per lead byte: row = high digit of the
// second byte, column = low digit. A cell holds the bytes appended for the
// unit; an empty cell is a unit without an entry; LA marks a look-ahead unit.

// Lead byte 0xF8.
constexpr std::string_view kLeadF8[] = {
  // 2nd | x0        | x1        | x2        | x3        | x4   | x5        | x6        | x7        | x8        | x9        | xA        | xB   | xC   | xD        | xE        | xF
    "Ax  |           |           | F8A4      | F8A5      | F8A6 | F8A7      |           |           |           |           |           |      |      |           |           |",
    "Bx  | F8A3      |           |           |           |      |           |           |           |           |           |           | F8AB | F8AC | F8A2      | F8AA      | F8A9",
    "Cx  | A3A8      | A3A9      | 3C        | 3E        | 5B   | 5D        | A1B6      | A1B7      | A1BA      | A1BB      | F8A5      |      |      | F8B0      | F8B0      | F8A3",
    "Dx  | 20        | F8B3 F8B6 | F8B3 F8B5 | F8B3 F8B4 | F8B7 | F8B6      | F8B5      | F8B5      | F8B4 F8B5 | F8B4      | F8B4      | F8D1 | F8B4 | F8B7 F8B5 | F8B7      | F8B3 F8B4",
    "Ex  | F8B6      | F8B5      | F8B4 F8B5 | F8B4      | F8B4 | F8B4      | F8B3 F8BA | F8B3 F8B9 | F8BA      | F8B9 F8B2 | F8B4 F8B9 | F8B9 | F8B9 | F8B9      | F8B9 F8B9 | F8BA",
    "Fx  | F8B3 F8BB | F8B3 F8BB | F8BC      | F8BB      |      | F8B4 F8BB | F8BB      |           | F8B4 F8BB | F8B3 F8BB | F8BC      | F8BB |      | F8B4 F8BB | F8BB      |",
};

// Lead byte 0xF9.
constexpr std::string_view kLeadF9[] = {
  // 2nd | x0        | x1             | x2             | x3        | x4             | x5   | x6        | x7             | x8        | x9   | xA             | xB        | xC             | xD        | xE        | xF
    "Ax  |           |                | F8B3 F8BB F8B2 | F8B3 F8BC | F8B3 F8BB F8B9 | F8BC | F8BB F8B2 |                | F8BB      |      | F8B4 F8BB F8B9 | F8BB F8B9 |                | F8BB      |           | F8B3 F8BB F8B2",
    "Bx  | F8B3 F8BC | F8B3 F8BB F8B9 | F8BC           | F8BB F8B9 |                | F8BB |           | F8B4 F8BB F8B9 | F8BB F8B9 |      | F8BB           |           | F8B4 F8B8 F8B2 | F8B4 F8B8 | F8B8 F8B2 | F8B8",
    "Cx  | F8BE      | F8B3           | F8BE           | F8B3      | F8B6           | LA   | F8BF      | F8B4           | F8BF      | F8B4 | F8B4 F8B9 F8B5 | F8C1      | F8B4 F8B9 F8B5 | F8C1      | F8BF      | F8B4",
    "Dx  | LA        | LA             | F8BD           | F8BB F8B5 | LA             | LA   | F8C3      | LA             | LA        | F8CF | LA             | LA        | F8CA           | F8D0      | F8D9      | LA",
    "Ex  |           | F8D0           | F8D9           | LA        |                | F8DD | LA        | F8D1           | F8DA      | LA   |                | F8D1      | LA             |           | F8DC      |",
    "Fx  | F8D9      | F8D0           | LA             | F8D9      | F8D0           | LA   | F8DD      | F8D2           | LA        | F8DA | LA             | F8DA      | LA             | F8D1      | F8DC      |",
};

// Lead byte 0xFA.
constexpr std::string_view kLeadFA[] = {
  // 2nd | x0   | x1        | x2        | x3        | x4        | x5        | x6        | x7        | x8   | x9   | xA        | xB        | xC        | xD        | xE   | xF
    "Ax  |      | F8DC      | F8DE      | F8DE      | F8E0      | F8DF      | F8DF      |           | F8E1 | F8E1 | F8E3      | F8E2      | F8E2      | F8E2      | F8E4 | F8E4",
    "Bx  | F8E6 |           | F8E5      | F8E5      | F8E7      | F8E7      | F8E9      | F8E8      | F8E8 | F8EA | F8EA      | F8EA F8B2 | F8EB      | F8EA      | F8EA | F8EA",
    "Cx  | F8EA | F8EB      | F8BB F8B6 | F8EB F8B2 | F8EB      | F8BB F8B4 | F8EC      | F8EC F8B2 | F8EC | F8B9 | F8B9      | F8B9      | F8ED F8B2 | F8BA      | F8ED | F8EE",
    "Dx  | F8BA | F8EE      | F8B9      | F8F0      | F8F0      | F8F0      | F8F1      | F8F0      | F8F0 | F8F0 | F8B8      | F8B8 F8B2 | F8BC      | F8B8      | LA   | LA",
    "Ex  | F8F6 | LA        | LA        | F8F5      | LA        | LA        | F8FC      | LA        | LA   | F8FB | F8B9      |           |           |           |      |",
    "Fx  | F8F2 | F8F2 F8B2 | F8F2      | F8F3      | F8F3 F8B2 | F8F3      | F8B3 F8F4 | F8F4 F8B2 | F8F4 | F8EF | F8EF F8B2 | F8EF      | F8E1 F8F4 | F8E2 F8F4 |      | F8EF F8B2",
};

// Lead byte 0xFB: only two units have an entry.
constexpr std::string_view kLeadFB[] = {
  // 2nd | x0        | x1        | x2        | x3        | x4        | x5        | x6        | x7        | x8        | x9        | xA        | xB        | xC        | xD        | xE        | xF
    "Ax  |           | F8F4      | F8BB F8BB |           |           |           |           |           |           |           |           |           |           |           |           |",
};

// Classes of following units for the look-ahead rules.
struct NamedClass {
  std::string_view name;
  std::string_view units;
};
constexpr NamedClass kClasses[] = {
    {"V",  "F8 D9, F8 DA, F8 DC, F8 E3, F8 E4, F8 E5, F9 C7, F9 C9, F9 CF"},
    {"VB", "F8 D8, F8 E2"},
    {"W",  "F8 F4, F8 F7, F8 FC, F9 A1, F9 A9, F9 AE, F9 B6, F9 BB"},
    {"W9", "F9 AC, F9 B9"},
    {"W2", "F9 A7, F9 B4"},
    {"U",  "F8 D6, F8 D7, F8 E1"},
};

// Look-ahead rules. Each row: the units that share it, the joined output per
// column of following units ("-": that column does not join), and last the
// standalone output for when nothing joins. The standalone output of F9 D1,
// F9 D5, F9 DF, F9 E9, F9 F2, F9 FA, FA DF, FA E2, FA E5 and FA E8 is nothing.

// First kind.
constexpr std::string_view kFirstKindColumns = "class VB | class V | F8 EC | F8 E9 | F8 CE | F9 BF | FA AD | FA DD";
constexpr ColumnRule kFirstKind[] = {
    {"F9 D0, F9 D4",               "F8C4 F8B5 | F8C4 | F8C8 | F8C8 F8B2 | - | - | F8C5 | F8C7 | F8C3"},
    {"F9 D7, F9 DA",               "F8CB F8B5 | F8CB | - | F8CD F8B2 | F8CD | - | - | F8CA F8B8 | F8CA"},
    {"F9 DF, F9 E9, F9 F2, F9 FA", "F8D3 F8B5 | F8D3 | F8D7 | F8D7 F8B2 | - | F8DC F8B8 | F8D4 | F8DC F8B8 | nothing"},
    {"FA DE, FA E1",               "F8F7 F8B5 | F8F7 | - | F8F9 F8B2 | F8F9 | - | - | F8F8 | F8F5"},
    {"FA E4, FA E7",               "F8FD F8B5 | F8FD | F9A1 | - | - | F8FE | - | F8FE | F8FB"},
};

// Second kind.
constexpr std::string_view kSecondKindColumns = "class W | class W9 | class W2";
constexpr ColumnRule kSecondKind[] = {
    {"F9 D1, F9 D5",               "F8C9 | F8C9 F8B9 | F8C9 F8B2 | nothing"},
    {"F9 D8, F9 DB",               "F8CE | F8CE F8B9 | F8CE F8B2 | nothing"},
    {"F9 E3, F9 EC, F9 F5, F9 FC", "F8D8 | F8D8 F8B9 | F8D8 F8B2 | nothing"},
    {"FA DF, FA E2",               "F8FA | F8FA F8B9 | F8FA F8B2 | nothing"},
    {"FA E5, FA E8",               "F9A2 | F9A2 F8B9 | F9A2 F8B2 | nothing"},
};

// Third kind.
constexpr std::string_view kThirdKindColumns = "class U";
constexpr ColumnRule kThirdKind[] = {
    {"F9 C5",        "F8B6 F8C0 | F8B6"},
    {"F9 E6, F9 F8", "F8DD F8DB | F8DD"},
};

// clang-format on

consteval UnitTable BuildMengkeliTable() {
  UnitTableBuilder builder("F8 F9 FA FB", NoEntryPolicy::kKeepSecondByte);
  builder.Grid(0xF8, kLeadF8).Grid(0xF9, kLeadF9).Grid(0xFA, kLeadFA).Grid(0xFB, kLeadFB);
  for (const NamedClass& c : kClasses) builder.Class(c.name, c.units);
  builder.ColumnRules(kFirstKindColumns, kFirstKind)
      .ColumnRules(kSecondKindColumns, kSecondKind)
      .ColumnRules(kThirdKindColumns, kThirdKind);
  return builder.Build();
}

}  // namespace

const UnitTable& MengkeliUnitTable() {
  static constexpr UnitTable kTable = BuildMengkeliTable();
  return kTable;
}

}  // namespace qorvel
