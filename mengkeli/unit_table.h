#pragma once
// The machinery shared by the two-byte unit codes (Mengkeli, Mingantu): a
// unit is a lead byte and the byte after it; most units have a fixed output,
// some join with the unit that follows them (look-ahead), and units without
// an entry are handled by a per-code policy. The tables are written as
// readable grids and rule rows and compiled once into flat arrays.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qorvel {

class ByteWriter;

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
  kPlain,    // appends the join of `rule` with the following unit, or `out`
  kSkip,     // a kSkip unit
  kRestart,  // a unit without an entry whose second byte leads the next unit
};

struct UnitCell {
  // The fixed output; the standalone output of a look-ahead unit; the kept
  // second byte of a unit without an entry.
  UnitOutput out;
  UnitKind kind = UnitKind::kNoEntry;
  UnitStep step = UnitStep::kPlain;
  std::uint8_t rule = 0;  // join row; row 0 joins nothing
};

enum class NoEntryPolicy : std::uint8_t {
  // The lead byte is dropped and the second byte appended.
  kKeepSecondByte,
  // As kKeepSecondByte, except that a second byte which is a lead byte later
  // in the test order starts a new unit (the scan goes on at it).
  kRestartAtLaterLead,
};

struct JoinCell {
  UnitOutput out;
  bool joins = false;
};

struct UnitTable {
  static constexpr int kMaxLeads = 5;

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
  // Join rows: joins[rule * columnStride + column]. Row 0 joins nothing.
  std::size_t columnStride = 1;
  std::vector<JoinCell> joins;
  NoEntryPolicy noEntry = NoEntryPolicy::kKeepSecondByte;
  // A skip unit swallows a following unit (skipLead, skipSecond) and
  // skipExtra bytes after it.
  std::uint8_t skipLead = 0;
  std::uint8_t skipSecond = 0;
  std::uint8_t skipExtra = 0;

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
  std::vector<NamedUnits> classes_;
  std::vector<Rule> rules_;
};

// Converts `text` unit by unit and appends the result to `out`. `text` is the
// whole text: bytes at and past its end join nothing, and a lead byte that is
// its last byte appends nothing.
void ScanUnits(const UnitTable& table, std::string_view text, std::string& out);
void ScanUnits(const UnitTable& table, std::string_view text, ByteWriter& out);

// `text` up to its first NUL byte.
std::string_view CutAtNul(std::string_view text);

}  // namespace qorvel
