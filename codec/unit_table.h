#pragma once
// The machinery shared by the two-byte unit codes (Mengkeli, Mingantu): a
// unit is a lead byte and the byte after it; most units have a fixed output,
// some join with the unit that follows them (look-ahead), and units without
// an entry are handled by a per-code policy. The tables are written as
// readable grids and rule rows and compiled into flat arrays when the
// program is compiled.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "codec/drops.h"
#include "codec/hex_cell.h"

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
  // The bytes dropped when the unit writes `out` (or, for kRestart, when
  // its lead byte goes): 2 for a unit that writes nothing, 1 for the lead
  // byte of a unit without an entry, else 0.
  std::uint8_t dropped = 0;
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
  std::uint8_t dropped = 0;  // 4 for a joined pair that writes nothing
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

  // The joined output of the look-ahead unit `cell` with the following unit
  // (lead, second), or null when they do not join. A unit without a rule
  // points at row 0, which joins nothing.
  const UnitOutput* FindJoin(const UnitCell& cell, std::uint8_t lead, std::uint8_t second) const {
    const JoinCell* join = FindJoinCell(cell, lead, second);
    return join ? &join->out : nullptr;
  }
  const JoinCell* FindJoinCell(const UnitCell& cell, std::uint8_t lead, std::uint8_t second) const {
    const JoinCell& join = joins[cell.joinRow + column[static_cast<std::size_t>(leadIndex[lead] + 1)][second]];
    return join.joins ? &join : nullptr;
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

// Compiles the readable tables when the program is compiled: the tables are
// constant data, and malformed data (a bad cell, a look-ahead unit without a
// rule, a rule for a unit that is not marked LA) stops the build with a
// message naming what is wrong. Cells are read through DecodeHexCell, the
// grammar of every table of the suite.
class UnitTableBuilder {
 public:
  // `leads`: the lead bytes (0x80 and above) in the order the scan tests
  // them, "F8 F9 FA FB".
  consteval UnitTableBuilder(std::string_view leads, NoEntryPolicy policy) {
    table_.leadIndex.fill(-1);
    table_.noEntry = policy;
    for (std::string_view lead : Split(leads, ' ')) {
      if (table_.leadCount == UnitTable::kMaxLeads) throw "unit table: too many lead bytes";
      const HexCell cell = DecodeHexCell(lead);
      if (cell.len != 1) throw "unit table: a lead byte is two hex digits";
      const auto b = static_cast<std::uint8_t>(cell.bytes[0]);
      // The scan passes ASCII over without looking for units.
      if (b < 0x80) throw "unit table: lead bytes must be 0x80 or above";
      table_.leads[static_cast<std::size_t>(table_.leadCount)] = b;
      table_.leadIndex[b] = static_cast<std::int8_t>(table_.leadCount++);
    }
  }

  // A grid of the units with lead byte `lead`, one row per high digit of the
  // second byte: "Ax | x0 | x1 | ... | xF". A cell is empty (no entry),
  // "LA" (look-ahead), "nothing", or output bytes as four- or two-digit hex
  // groups ("F8B3 F8B6", "A3A8", "3C"), optionally followed by "skip".
  consteval UnitTableBuilder& Grid(std::uint8_t lead, std::span<const std::string_view> rows) {
    for (std::string_view row : rows) {
      const std::vector<std::string_view> cells = Split(row, '|');
      if (cells.size() != 17 || cells[0].size() != 2 || cells[0][1] != 'x')
        throw "unit table: a grid row needs a row label and 16 cells";
      const int high = HexDigit(cells[0][0]);
      for (int low = 0; low < 16; ++low) {
        std::string_view text = cells[static_cast<std::size_t>(low) + 1];
        if (text.empty()) continue;
        UnitCell& cell = Cell(static_cast<std::uint16_t>(lead << 8 | high << 4 | low));
        if (cell.kind != UnitKind::kNoEntry) throw "unit table: a unit given twice";
        if (text == "LA") {
          cell.kind = UnitKind::kLookAhead;
          continue;
        }
        cell.kind = UnitKind::kFixed;
        if (text.ends_with(" skip")) {
          cell.kind = UnitKind::kSkip;
          text.remove_suffix(5);
        }
        cell.out = Output(text);
      }
    }
    return *this;
  }

  // A named class of following units: "F8 D9, F8 DA".
  consteval UnitTableBuilder& Class(std::string_view name, std::string_view units) {
    classes_.push_back({name, Units(units)});
    return *this;
  }

  // Look-ahead rows under a header of columns, each "class NAME" or a unit.
  consteval UnitTableBuilder& ColumnRules(std::string_view header, std::span<const ColumnRule> rows) {
    // The following units of each column.
    std::vector<std::vector<std::uint16_t>> columns;
    for (std::string_view col : Split(header, '|')) {
      if (!col.starts_with("class ")) {
        columns.push_back({Unit(col)});
        continue;
      }
      const std::string_view name = Trim(col.substr(6));
      bool found = false;
      for (const NamedUnits& c : classes_) {
        if (c.name != name) continue;
        columns.push_back(c.units);
        found = true;
      }
      if (!found) throw "unit table: a column names an unknown class";
    }
    for (const ColumnRule& row : rows) {
      const std::vector<std::string_view> cells = Split(row.cells, '|');
      if (cells.size() != columns.size() + 1)
        throw "unit table: a rule row needs one cell per column and a standalone output";
      Rule rule;
      for (std::size_t c = 0; c < columns.size(); ++c) {
        if (cells[c] == "-") continue;
        const UnitOutput out = Output(cells[c]);
        for (std::uint16_t unit : columns[c]) rule.joins.push_back({unit, out});
      }
      rule.standalone = Output(cells.back());
      AddRule(row.units, rule);
    }
    return *this;
  }

  // Look-ahead rows with explicit lists: "F8 C8, F8 D2 -> F8C4 F8B5; F8 DD -> F8C8".
  consteval UnitTableBuilder& ListRules(std::span<const ListRule> rows) {
    for (const ListRule& row : rows) {
      Rule rule;
      for (std::string_view entry : Split(row.joins, ';')) {
        const std::size_t arrow = entry.find("->");
        if (arrow == std::string_view::npos) throw "unit table: a join without '->'";
        const UnitOutput out = Output(entry.substr(arrow + 2));
        for (std::uint16_t unit : Units(entry.substr(0, arrow))) rule.joins.push_back({unit, out});
      }
      rule.standalone = Output(row.standalone);
      AddRule(row.units, rule);
    }
    return *this;
  }

  // The unit that skip units swallow ("F8 AF") and the bytes taken after it.
  consteval UnitTableBuilder& Skip(std::string_view unit, std::uint8_t extraBytes) {
    const std::uint16_t u = Unit(unit);
    table_.skipLead = static_cast<std::uint8_t>(u >> 8);
    table_.skipSecond = static_cast<std::uint8_t>(u & 0xFF);
    table_.skipExtra = extraBytes;
    return *this;
  }

  consteval UnitTable Build() const {
    UnitTable table = table_;

    // One column per distinct following unit that joins anything, and one
    // join row per rule after row 0, which joins nothing.
    std::vector<std::uint16_t> following;
    for (const Rule& rule : rules_)
      for (const Join& join : rule.joins)
        if (std::find(following.begin(), following.end(), join.unit) == following.end())
          following.push_back(join.unit);
    if (following.size() > 254) throw "unit table: too many following units";
    for (std::size_t k = 0; k < following.size(); ++k) {
      const int li = table.leadIndex[following[k] >> 8];
      if (li < 0) throw "unit table: a following unit without a lead byte";
      table.column[static_cast<std::size_t>(li) + 1][following[k] & 0xFF] = static_cast<std::uint8_t>(k + 1);
    }
    table.columnStride = following.size() + 1;
    if ((rules_.size() + 1) * table.columnStride > UnitTable::kMaxJoins) throw "unit table: too many join cells";
    for (std::size_t r = 0; r < rules_.size(); ++r) {
      for (const Join& join : rules_[r].joins) {
        const auto li = static_cast<std::size_t>(table.leadIndex[join.unit >> 8]);
        table.joins[(r + 1) * table.columnStride + table.column[li + 1][join.unit & 0xFF]] =
            JoinCell{join.out, true, static_cast<std::uint8_t>(join.out.size == 0 ? 4 : 0)};
      }
    }

    for (int li = 0; li < table.leadCount; ++li) {
      for (int second = 0; second < 256; ++second) {
        UnitCell& cell = table.units[static_cast<std::size_t>(li)][static_cast<std::size_t>(second)];
        switch (cell.kind) {
          case UnitKind::kLookAhead: {
            const std::uint8_t row = ruleRows_[static_cast<std::size_t>(li)][static_cast<std::size_t>(second)];
            if (row == 0) throw "unit table: a look-ahead unit without a rule";
            cell.joinRow = static_cast<std::uint16_t>(row * table.columnStride);
            cell.step = UnitStep::kJoin;
            cell.dropped = cell.out.size == 0 ? 2 : 0;
            break;
          }
          case UnitKind::kSkip:
            // What a skip unit swallows counts as taken by a step that
            // writes something; one that wrote nothing would drop it all.
            if (cell.out.size == 0) throw "unit table: a skip unit must write something";
            cell.step = UnitStep::kSkip;
            table.span = std::max<std::size_t>(table.span, 4 + table.skipExtra);
            break;
          case UnitKind::kNoEntry:
            cell.dropped = 1;  // the lead byte
            if (table.noEntry == NoEntryPolicy::kRestartAtLaterLead && table.leadIndex[second] > li) {
              cell.step = UnitStep::kRestart;
            } else {
              cell.out.bytes[0] = static_cast<char>(second);
              cell.out.size = 1;
            }
            break;
          case UnitKind::kFixed:
            cell.dropped = cell.out.size == 0 ? 2 : 0;
            break;
        }
      }
    }
    return table;
  }

 private:
  struct Join {
    std::uint16_t unit;
    UnitOutput out;
  };
  struct Rule {
    std::vector<Join> joins;
    UnitOutput standalone;
  };
  struct NamedUnits {
    std::string_view name;
    std::vector<std::uint16_t> units;
  };

  static consteval std::string_view Trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
  }

  static consteval std::vector<std::string_view> Split(std::string_view s, char sep) {
    std::vector<std::string_view> parts;
    for (;;) {
      const std::size_t at = s.find(sep);
      parts.push_back(Trim(s.substr(0, at)));
      if (at == std::string_view::npos) return parts;
      s.remove_prefix(at + 1);
    }
  }

  // "F8 D9" -> 0xF8D9.
  static consteval std::uint16_t Unit(std::string_view text) {
    const HexCell cell = DecodeHexCell(Trim(text));
    if (cell.len != 2 || Trim(text).size() != 5) throw "unit table: a unit is two bytes, \"F8 D9\"";
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(cell.bytes[0]) << 8 |
                                      static_cast<std::uint8_t>(cell.bytes[1]));
  }

  static consteval std::vector<std::uint16_t> Units(std::string_view text) {
    std::vector<std::uint16_t> units;
    for (std::string_view u : Split(text, ',')) units.push_back(Unit(u));
    return units;
  }

  // "F8B3 F8B6", "3C", "nothing".
  static consteval UnitOutput Output(std::string_view text) {
    UnitOutput out;
    text = Trim(text);
    if (text == "nothing") return out;
    if (text.empty()) throw "unit table: an empty output (write \"nothing\")";
    const HexCell cell = DecodeHexCell(text);
    for (std::uint8_t k = 0; k < cell.len; ++k) out.bytes[k] = cell.bytes[k];
    out.size = cell.len;
    return out;
  }

  consteval UnitCell& Cell(std::uint16_t unit) {
    const int li = table_.leadIndex[unit >> 8];
    if (li < 0) throw "unit table: a unit whose first byte is no lead byte";
    return table_.units[static_cast<std::size_t>(li)][unit & 0xFF];
  }

  consteval void AddRule(std::string_view units, const Rule& rule) {
    if (rules_.size() + 1 > 0xFF) throw "unit table: too many look-ahead rules";
    for (std::size_t a = 0; a < rule.joins.size(); ++a)
      for (std::size_t b = a + 1; b < rule.joins.size(); ++b)
        if (rule.joins[a].unit == rule.joins[b].unit) throw "unit table: a following unit listed twice in a rule";
    const auto row = static_cast<std::uint8_t>(rules_.size() + 1);
    for (std::uint16_t unit : Units(units)) {
      UnitCell& cell = Cell(unit);
      if (cell.kind != UnitKind::kLookAhead) throw "unit table: a rule for a unit not marked LA";
      std::uint8_t& ruleRow = ruleRows_[static_cast<std::size_t>(table_.leadIndex[unit >> 8])][unit & 0xFF];
      if (ruleRow != 0) throw "unit table: a second rule for a unit";
      ruleRow = row;
      cell.out = rule.standalone;
    }
    rules_.push_back(rule);
  }

  UnitTable table_;
  // The join row of each look-ahead unit, by lead position and second byte:
  // 1 + its rule's index, 0 while it has none.
  std::array<std::array<std::uint8_t, 256>, UnitTable::kMaxLeads> ruleRows_{};
  std::vector<NamedUnits> classes_;
  std::vector<Rule> rules_;
};

// Converts `text` unit by unit and appends the result to `out`, noting in
// `log` what it drops. With `last` true `text` is the whole text: bytes past
// its end join nothing, and a lead byte that is its last byte appends
// nothing (it is dropped); returns text.size(). With `last` false more text
// follows: the scan stops at the first unit with fewer than table.span bytes
// left and returns its position.
std::size_t ScanUnits(const UnitTable& table, std::string_view text, bool last, std::string& out, DropLog log);

// The most bytes a unit step appends per byte it takes.
inline constexpr std::size_t kUnitOutPerByte = 3;

// Appends `out` at `o`, which has room for eight bytes.
inline void PutOutput(char*& o, const UnitOutput& out) {
  std::memcpy(o, out.bytes.data(), 8);
  o += out.size;
}

// How a scan looks a unit's follower up. Only a look-ahead unit needs to:
// in running text most units are fixed, the branch on the kind is well
// predicted and four loads per unit are saved. Where most units look ahead
// (random units), that branch is as good as random and looking every
// unit's follower up (row 0 of the joins, a fixed unit's, joins nothing) is
// faster. A scan counts the look-ahead units it meets to choose.
enum class Followers : std::uint8_t { kOfLookAheadUnits, kOfEveryUnit };

// Takes the unit at s[i], whose lead byte has position `lead` in the test
// order, when table.span bytes from i lie inside the text. Appends its output
// at `o` (room for eight bytes), tallies what it drops, counts it in
// `lookAheads` if it looks ahead, and returns where the scan goes on.
template <Followers kFollowers = Followers::kOfLookAheadUnits, bool kNoting = true>
inline std::size_t TakeUnit(const UnitTable& t, int lead, const unsigned char* s, std::size_t i, char*& o,
                            std::size_t& lookAheads, DropTally& tally) {
  const UnitCell& cell = t.units[static_cast<std::size_t>(lead)][s[i + 1]];
  lookAheads += cell.step == UnitStep::kJoin;
  switch (cell.step) {
    case UnitStep::kFixed:
      if constexpr (kFollowers == Followers::kOfLookAheadUnits) break;
      [[fallthrough]];
    case UnitStep::kJoin:
      if (const JoinCell* join = t.FindJoinCell(cell, s[i + 2], s[i + 3])) {
        PutOutput(o, join->out);
        tally.Add<kNoting>(i, join->dropped);
        return i + 4;
      }
      break;
    case UnitStep::kSkip:
      PutOutput(o, cell.out);
      return s[i + 2] == t.skipLead && s[i + 3] == t.skipSecond ? i + 4 + t.skipExtra : i + 2;
    case UnitStep::kRestart:
      tally.Add<kNoting>(i, 1);  // the lead byte goes; the second byte leads the next unit
      return i + 1;
  }
  PutOutput(o, cell.out);
  tally.Add<kNoting>(i, cell.dropped);
  return i + 2;
}

// The first fresh start of ScanUnits at or after `from` in `text`, or npos:
// the position after two bytes in a row that start no unit, the first of
// them not the second byte of the skip unit. Wherever the scan stands, it
// takes such a pair as the ends of units or as bytes by themselves, joins
// nothing across it and starts a step right after it.
std::size_t UnitFreshStart(const UnitTable& table, std::string_view text, std::size_t from);

// `text` up to its first NUL byte.
std::string_view CutAtNul(std::string_view text);

}  // namespace qorvel
