#pragma once
// The machinery shared by the two-byte unit codes (Mengkeli, Mingantu): a
// unit is a lead byte and the byte after it; most units have a fixed output,
// some join with the unit that follows them (look-ahead), and units without
// an entry are handled by a per-code policy. The tables are written as
// readable grids and rule rows and compiled once into flat arrays.

#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qorvel {

// What one unit (or one joined pair of units) appends: up to three glyph
// codes. Eight bytes are stored so that a writer may copy them at once.
struct UnitOutput {
  std::array<char, 8> bytes{};
  std::uint8_t size = 0;
  std::string_view View() const { return {bytes.data(), size}; }
};

enum class UnitKind : std::uint8_t {
  kNoEntry,    // handled by the table's NoEntryPolicy
  kFixed,      // appends `out` (possibly nothing)
  kLookAhead,  // joins with the following unit by its rule, else appends `out`
  kSkip,       // appends `out`; swallows the skip unit and the bytes after it
};

// How the scan takes a unit, decided when the table is built.
enum class UnitStep : std::uint8_t {
  kFixed,    // appends `out` and goes on after the unit
  kJoin,     // appends its join with the following unit (joinRow), or `out`
  kSkip,     // a kSkip unit
  kRestart,  // a unit without an entry whose second byte leads the next unit
};

struct alignas(16) UnitCell {  // 16 bytes: a cell is found with a shift
  // The fixed output; the standalone output of a look-ahead unit; the kept
  // second byte of a unit without an entry.
  UnitOutput out;
  UnitKind kind = UnitKind::kNoEntry;
  UnitStep step = UnitStep::kFixed;
  // Where the unit's join row starts in UnitTable::joins; 0, the row that
  // joins nothing, for every unit without a look-ahead rule.
  std::uint16_t joinRow = 0;
};

enum class NoEntryPolicy : std::uint8_t {
  // The lead byte is dropped and the second byte appended.
  kKeepSecondByte,
  // As kKeepSecondByte, except that a second byte which is a lead byte later
  // in the test order starts a new unit (the scan goes on at it).
  kRestartAtLaterLead,
};

struct alignas(16) JoinCell {  // 16 bytes: a cell is found with a shift
  UnitOutput out;
  bool joins = false;
};

struct UnitTable {
  static constexpr int kMaxLeads = 5;
  static constexpr std::size_t kMaxJoins = 1024;

  // Position of a lead byte in the test order; -1 for any other byte.
  std::array<std::int8_t, 256> leadIndex{};
  int leadCount = 0;
  std::array<std::uint8_t, kMaxLeads> leads{};
  // units[leadIndex][second byte].
  std::array<std::array<UnitCell, 256>, kMaxLeads> units{};
  // column[leadIndex + 1][second byte]: the following unit's column in the
  // join rows; 0 for a unit that joins nothing and for any pair whose first
  // byte is no lead byte (row 0).
  std::array<std::array<std::uint8_t, 256>, kMaxLeads + 1> column{};
  // Join rows, one per look-ahead rule after row 0 that joins nothing, each
  // a cell per column: joins[joinRow + column].
  std::size_t columnStride = 1;
  std::array<JoinCell, kMaxJoins> joins{};
  NoEntryPolicy noEntry = NoEntryPolicy::kKeepSecondByte;
  // A skip unit swallows a following unit (skipLead, skipSecond) and
  // skipExtra bytes after it.
  std::uint8_t skipLead = 0;
  std::uint8_t skipSecond = 0;
  std::uint8_t skipExtra = 0;
  // The most bytes the scan looks at from the start of one unit: the unit and
  // its following unit, plus what a skip unit swallows after that.
  std::size_t span = 4;

  // The cell of unit (lead, second), or null when `lead` is no lead byte.
  const UnitCell* Find(std::uint8_t lead, std::uint8_t second) const {
    const int li = leadIndex[lead];
    return li < 0 ? nullptr : &units[static_cast<std::size_t>(li)][second];
  }
};

// A look-ahead row keyed by columns: the units that share it, then one cell
// per column of the header ("-" where that column does not join), then the
// standalone output ("nothing" for none).
struct ColumnRule {
  std::string_view units;  // "F9 D0, F9 D4"
  std::string_view cells;  // "F8C4 F8B5 | F8C4 | - | F8C3"
};

// A look-ahead row with explicit lists: "F8 C8, F8 D2 -> F8C4 F8B5; F8 DD -> F8C8".
struct ListRule {
  std::string_view units;
  std::string_view joins;
  std::string_view standalone;
};

// Compiles the readable tables. Malformed data (a bad cell, a look-ahead unit
// without a rule, a rule for a unit that is not marked LA) throws
// std::invalid_argument naming the offending text.
class UnitTableBuilder {
 public:
  // `leads`: the lead bytes (0x80 and above) in the order the scan tests
  // them, "F8 F9 FA FB".
  UnitTableBuilder(std::string_view leads, NoEntryPolicy policy);

  // A grid of the units with lead byte `lead`, one row per high digit of the
  // second byte: "Ax | x0 | x1 | ... | xF". A cell is empty (no entry),
  // "LA" (look-ahead), "nothing", or output bytes as four- or two-digit hex
  // groups ("F8B3 F8B6", "A3A8", "3C"), optionally followed by "skip".
  UnitTableBuilder& Grid(std::uint8_t lead, std::span<const std::string_view> rows);

  // A named class of following units: "F8 D9, F8 DA".
  UnitTableBuilder& Class(std::string_view name, std::string_view units);

  // Look-ahead rows under a header of columns, each "class NAME" or a unit.
  UnitTableBuilder& ColumnRules(std::string_view header, std::span<const ColumnRule> rows);

  UnitTableBuilder& ListRules(std::span<const ListRule> rows);

  // The unit that skip units swallow ("F8 AF") and the bytes taken after it.
  UnitTableBuilder& Skip(std::string_view unit, std::uint8_t extraBytes);

  UnitTable Build() const;

 private:
  struct Rule {
    std::vector<std::pair<std::uint16_t, UnitOutput>> joins;
    UnitOutput standalone;
  };
  struct NamedUnits {
    std::string name;
    std::vector<std::uint16_t> units;
  };

  UnitCell& Cell(std::uint16_t unit, std::string_view context);
  void AddRule(std::string_view units, Rule rule);

  UnitTable table_;
  // The join row of each look-ahead unit, by lead position and second byte:
  // 1 + its rule's index, 0 while it has none.
  std::array<std::array<std::uint8_t, 256>, UnitTable::kMaxLeads> ruleRows_{};
  std::vector<NamedUnits> classes_;
  std::vector<Rule> rules_;
};

// Converts `text` unit by unit and appends the result to `out`. With `last`
// true `text` is the whole text: bytes past its end join nothing, and a lead
// byte that is its last byte appends nothing; returns text.size(). With
// `last` false more text follows: the scan stops at the first unit with
// fewer than table.span bytes left and returns its position.
std::size_t ScanUnits(const UnitTable& table, std::string_view text, bool last, std::string& out);
inline void ScanUnits(const UnitTable& table, std::string_view text, std::string& out) {
  ScanUnits(table, text, true, out);
}

// The most bytes a unit step appends per byte it takes.
inline constexpr std::size_t kUnitOutPerByte = 3;

// Appends `out` at `o`, which has room for eight bytes.
inline void PutOutput(char*& o, const UnitOutput& out) {
  std::memcpy(o, out.bytes.data(), 8);
  o += out.size;
}

// Takes the unit at s[i], whose lead byte has position `lead` in the test
// order, when table.span bytes from i lie inside the text. Appends its output
// at `o` (room for eight bytes) and returns where the scan goes on.
inline std::size_t TakeUnit(const UnitTable& t, int lead, const unsigned char* s, std::size_t i, char*& o) {
  const UnitCell& cell = t.units[static_cast<std::size_t>(lead)][s[i + 1]];
  switch (cell.step) {
    case UnitStep::kFixed:
    case UnitStep::kJoin: {
      // Every unit looks its follower up, so that whether a unit has a rule
      // is no branch to predict: row 0 of the joins, a fixed unit's, joins
      // nothing.
      const std::size_t col = t.column[static_cast<std::size_t>(t.leadIndex[s[i + 2]] + 1)][s[i + 3]];
      const JoinCell& join = t.joins[cell.joinRow + col];
      if (join.joins) [[unlikely]] {
        PutOutput(o, join.out);
        return i + 4;
      }
      break;
    }
    case UnitStep::kSkip:
      PutOutput(o, cell.out);
      return s[i + 2] == t.skipLead && s[i + 3] == t.skipSecond ? i + 4 + t.skipExtra : i + 2;
    case UnitStep::kRestart:
      return i + 1;  // the second byte leads the next unit
  }
  PutOutput(o, cell.out);
  return i + 2;
}

// `text` up to its first NUL byte.
std::string_view CutAtNul(std::string_view text);

}  // namespace qorvel
