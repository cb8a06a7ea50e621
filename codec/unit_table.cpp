#include "codec/unit_table.h"

#include <algorithm>
#include <stdexcept>

namespace qorvel {
namespace {

[[noreturn]] void Bad(std::string_view what, std::string_view text) {
  throw std::invalid_argument(std::string(what) + ": '" + std::string(text) + "'");
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> Split(std::string_view s, char sep) {
  std::vector<std::string_view> parts;
  for (;;) {
    const std::size_t at = s.find(sep);
    parts.push_back(Trim(s.substr(0, at)));
    if (at == std::string_view::npos) return parts;
    s.remove_prefix(at + 1);
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::uint8_t HexByte(std::string_view two, std::string_view context) {
  if (two.size() != 2 || HexDigit(two[0]) < 0 || HexDigit(two[1]) < 0) Bad("bad hex byte", context);
  return static_cast<std::uint8_t>(HexDigit(two[0]) * 16 + HexDigit(two[1]));
}

// "F8 D9" -> 0xF8D9.
std::uint16_t ParseUnit(std::string_view text) {
  text = Trim(text);
  if (text.size() != 5 || text[2] != ' ') Bad("bad unit", text);
  return static_cast<std::uint16_t>(HexByte(text.substr(0, 2), text) << 8 | HexByte(text.substr(3, 2), text));
}

std::vector<std::uint16_t> ParseUnits(std::string_view text) {
  std::vector<std::uint16_t> units;
  for (std::string_view u : Split(text, ',')) units.push_back(ParseUnit(u));
  return units;
}

// "F8B3 F8B6", "3C", "nothing".
UnitOutput ParseOutput(std::string_view text) {
  UnitOutput out;
  text = Trim(text);
  if (text == "nothing") return out;
  if (text.empty()) Bad("empty output", text);
  for (std::string_view group : Split(text, ' ')) {
    if (group.size() != 2 && group.size() != 4) Bad("bad output", text);
    for (std::size_t k = 0; k < group.size(); k += 2) {
      if (out.size == 6) Bad("output longer than three glyph codes", text);
      out.bytes[out.size++] = static_cast<char>(HexByte(group.substr(k, 2), text));
    }
  }
  return out;
}

std::string UnitName(int lead, int second) {
  constexpr char kHex[] = "0123456789ABCDEF";
  return {kHex[lead >> 4], kHex[lead & 15], ' ', kHex[second >> 4], kHex[second & 15]};
}

}  // namespace

UnitTableBuilder::UnitTableBuilder(std::string_view leads, NoEntryPolicy policy) {
  table_.leadIndex.fill(-1);
  table_.noEntry = policy;
  for (std::string_view lead : Split(leads, ' ')) {
    if (table_.leadCount == UnitTable::kMaxLeads) Bad("too many lead bytes", leads);
    const std::uint8_t b = HexByte(lead, leads);
    // The scan passes ASCII over without looking for units.
    if (b < 0x80) Bad("lead bytes must be 0x80 or above", leads);
    table_.leads[static_cast<std::size_t>(table_.leadCount)] = b;
    table_.leadIndex[b] = static_cast<std::int8_t>(table_.leadCount++);
  }
}

UnitCell& UnitTableBuilder::Cell(std::uint16_t unit, std::string_view context) {
  const int li = table_.leadIndex[unit >> 8];
  if (li < 0) Bad("not a lead byte", context);
  return table_.units[static_cast<std::size_t>(li)][unit & 0xFF];
}

UnitTableBuilder& UnitTableBuilder::Grid(std::uint8_t lead, std::span<const std::string_view> rows) {
  for (std::string_view row : rows) {
    const std::vector<std::string_view> cells = Split(row, '|');
    if (cells.size() != 17 || cells[0].size() != 2 || cells[0][1] != 'x' || HexDigit(cells[0][0]) < 0)
      Bad("grid row needs a row label and 16 cells", row);
    const int high = HexDigit(cells[0][0]);
    for (int low = 0; low < 16; ++low) {
      std::string_view text = cells[static_cast<std::size_t>(low) + 1];
      if (text.empty()) continue;
      const auto unit = static_cast<std::uint16_t>(lead << 8 | high << 4 | low);
      UnitCell& cell = Cell(unit, row);
      if (cell.kind != UnitKind::kNoEntry) Bad("unit given twice", row);
      if (text == "LA") {
        cell.kind = UnitKind::kLookAhead;
        continue;
      }
      cell.kind = UnitKind::kFixed;
      if (text.ends_with(" skip")) {
        cell.kind = UnitKind::kSkip;
        text.remove_suffix(5);
      }
      cell.out = ParseOutput(text);
    }
  }
  return *this;
}

UnitTableBuilder& UnitTableBuilder::Class(std::string_view name, std::string_view units) {
  classes_.push_back({std::string(name), ParseUnits(units)});
  return *this;
}

void UnitTableBuilder::AddRule(std::string_view units, Rule rule) {
  if (rules_.size() + 1 > 0xFF) Bad("too many look-ahead rules", units);
  for (std::size_t a = 0; a < rule.joins.size(); ++a)
    for (std::size_t b = a + 1; b < rule.joins.size(); ++b)
      if (rule.joins[a].first == rule.joins[b].first) Bad("following unit listed twice", units);
  const auto row = static_cast<std::uint8_t>(rules_.size() + 1);
  for (std::uint16_t unit : ParseUnits(units)) {
    UnitCell& cell = Cell(unit, units);
    if (cell.kind != UnitKind::kLookAhead) Bad("rule for a unit not marked LA", units);
    std::uint8_t& ruleRow = ruleRows_[static_cast<std::size_t>(table_.leadIndex[unit >> 8])][unit & 0xFF];
    if (ruleRow != 0) Bad("second rule for a unit", units);
    ruleRow = row;
    cell.out = rule.standalone;
  }
  rules_.push_back(std::move(rule));
}

UnitTableBuilder& UnitTableBuilder::ColumnRules(std::string_view header,
                                                std::span<const ColumnRule> rows) {
  // The following units of each column.
  std::vector<std::vector<std::uint16_t>> columns;
  for (std::string_view col : Split(header, '|')) {
    if (col.starts_with("class ")) {
      const std::string_view name = Trim(col.substr(6));
      const auto it = std::find_if(classes_.begin(), classes_.end(),
                                   [&](const auto& c) { return c.name == name; });
      if (it == classes_.end()) Bad("unknown class", col);
      columns.push_back(it->units);
    } else {
      columns.push_back({ParseUnit(col)});
    }
  }
  for (const ColumnRule& row : rows) {
    const std::vector<std::string_view> cells = Split(row.cells, '|');
    if (cells.size() != columns.size() + 1) Bad("rule row needs one cell per column and a standalone", row.cells);
    Rule rule;
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (cells[c] == "-") continue;
      const UnitOutput out = ParseOutput(cells[c]);
      for (std::uint16_t unit : columns[c]) rule.joins.emplace_back(unit, out);
    }
    rule.standalone = ParseOutput(cells.back());
    AddRule(row.units, std::move(rule));
  }
  return *this;
}

UnitTableBuilder& UnitTableBuilder::ListRules(std::span<const ListRule> rows) {
  for (const ListRule& row : rows) {
    Rule rule;
    for (std::string_view entry : Split(row.joins, ';')) {
      const std::size_t arrow = entry.find("->");
      if (arrow == std::string_view::npos) Bad("join without '->'", entry);
      const UnitOutput out = ParseOutput(entry.substr(arrow + 2));
      for (std::uint16_t unit : ParseUnits(entry.substr(0, arrow))) rule.joins.emplace_back(unit, out);
    }
    rule.standalone = ParseOutput(row.standalone);
    AddRule(row.units, std::move(rule));
  }
  return *this;
}

UnitTableBuilder& UnitTableBuilder::Skip(std::string_view unit, std::uint8_t extraBytes) {
  const std::uint16_t u = ParseUnit(unit);
  table_.skipLead = static_cast<std::uint8_t>(u >> 8);
  table_.skipSecond = static_cast<std::uint8_t>(u & 0xFF);
  table_.skipExtra = extraBytes;
  return *this;
}

UnitTable UnitTableBuilder::Build() const {
  UnitTable table = table_;

  // One column per distinct following unit that joins anything, and one
  // join row per rule after row 0, which joins nothing.
  std::vector<std::uint16_t> following;
  for (const Rule& rule : rules_)
    for (const auto& [unit, out] : rule.joins)
      if (std::find(following.begin(), following.end(), unit) == following.end()) following.push_back(unit);
  if (following.size() > 254) Bad("too many following units", "");
  for (std::size_t k = 0; k < following.size(); ++k) {
    const int li = table.leadIndex[following[k] >> 8];
    if (li < 0) Bad("following unit without a lead byte", "");
    table.column[static_cast<std::size_t>(li) + 1][following[k] & 0xFF] = static_cast<std::uint8_t>(k + 1);
  }
  table.columnStride = following.size() + 1;
  if ((rules_.size() + 1) * table.columnStride > UnitTable::kMaxJoins) Bad("too many join cells", "");
  for (std::size_t r = 0; r < rules_.size(); ++r) {
    for (const auto& [unit, out] : rules_[r].joins) {
      const std::size_t li = static_cast<std::size_t>(table.leadIndex[unit >> 8]);
      table.joins[(r + 1) * table.columnStride + table.column[li + 1][unit & 0xFF]] = JoinCell{out, true};
    }
  }

  for (int li = 0; li < table.leadCount; ++li) {
    for (int second = 0; second < 256; ++second) {
      UnitCell& cell = table.units[static_cast<std::size_t>(li)][static_cast<std::size_t>(second)];
      switch (cell.kind) {
        case UnitKind::kLookAhead: {
          const std::uint8_t row = ruleRows_[static_cast<std::size_t>(li)][static_cast<std::size_t>(second)];
          if (row == 0) Bad("look-ahead unit without a rule", UnitName(table.leads[static_cast<std::size_t>(li)], second));
          cell.joinRow = static_cast<std::uint16_t>(row * table.columnStride);
          cell.step = UnitStep::kJoin;
          break;
        }
        case UnitKind::kSkip:
          cell.step = UnitStep::kSkip;
          table.span = std::max<std::size_t>(table.span, 4 + table.skipExtra);
          break;
        case UnitKind::kNoEntry:
          if (table.noEntry == NoEntryPolicy::kRestartAtLaterLead && table.leadIndex[second] > li) {
            cell.step = UnitStep::kRestart;
          } else {
            cell.out.bytes[0] = static_cast<char>(second);
            cell.out.size = 1;
          }
          break;
        case UnitKind::kFixed:
          break;
      }
    }
  }
  return table;
}

}  // namespace qorvel
