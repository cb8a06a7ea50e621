#include <gtest/gtest.h>

#include <stdexcept>

#include "codec/mengkeli_table.h"

namespace qorvel {
namespace {

struct Counts {
  int fixed[4] = {};
  int lookAhead[4] = {};
  int other = 0;
};

Counts CountUnits(const UnitTable& t) {
  Counts c;
  for (int lead = 0xF8; lead <= 0xFB; ++lead) {
    for (int second = 0; second < 256; ++second) {
      const UnitCell* cell = t.Find(static_cast<std::uint8_t>(lead), static_cast<std::uint8_t>(second));
      if (!cell) continue;
      if (cell->kind == UnitKind::kFixed) ++c.fixed[lead - 0xF8];
      else if (cell->kind == UnitKind::kLookAhead) ++c.lookAhead[lead - 0xF8];
      else if (cell->kind != UnitKind::kNoEntry) ++c.other;
    }
  }
  return c;
}

TEST(MengkeliTable, UnitCountsPerLeadByte) {
  const UnitTable& t = MengkeliUnitTable();
  const Counts c = CountUnits(t);
  EXPECT_EQ(c.fixed[0], 68);
  EXPECT_EQ(c.fixed[1], 61);
  EXPECT_EQ(c.fixed[2], 79);
  EXPECT_EQ(c.fixed[3], 2);
  EXPECT_EQ(c.fixed[0] + c.fixed[1] + c.fixed[2] + c.fixed[3], 210);
  EXPECT_EQ(c.lookAhead[0], 0);
  EXPECT_EQ(c.lookAhead[1], 19);
  EXPECT_EQ(c.lookAhead[2], 8);
  EXPECT_EQ(c.lookAhead[3], 0);
  EXPECT_EQ(c.other, 0);
  EXPECT_EQ(t.Find(0xF7, 0xA2), nullptr);
  EXPECT_EQ(t.Find(0xA3, 0xA2), nullptr);
}

TEST(MengkeliTable, ElevenF8UnitsGivePunctuation) {
  const UnitTable& t = MengkeliUnitTable();
  std::string outputs;
  for (int second = 0; second < 256; ++second) {
    const UnitCell* cell = t.Find(0xF8, static_cast<std::uint8_t>(second));
    ASSERT_NE(cell, nullptr);
    if (cell->kind != UnitKind::kFixed) continue;
    const std::string_view out = cell->out.View();
    ASSERT_FALSE(out.empty()) << std::hex << second;
    if (out[0] != '\xF8' && out[0] != '\xF9') {
      outputs += out;
      outputs += '|';
    }
  }
  EXPECT_EQ(outputs, "\xA3\xA8|\xA3\xA9|<|>|[|]|\xA1\xB6|\xA1\xB7|\xA1\xBA|\xA1\xBB| |");
}

TEST(UnitTableBuilder, RejectsMalformedTables) {
  constexpr std::string_view kShortRow[] = {"Ax | F8A2 | F8A3"};
  EXPECT_THROW(UnitTableBuilder("F8", NoEntryPolicy::kKeepSecondByte).Grid(0xF8, kShortRow),
               std::invalid_argument);

  constexpr std::string_view kBadCell[] = {"Ax | F8A | | | | | | | | | | | | | | |"};
  EXPECT_THROW(UnitTableBuilder("F8", NoEntryPolicy::kKeepSecondByte).Grid(0xF8, kBadCell),
               std::invalid_argument);

  constexpr std::string_view kOneLA[] = {"Ax | LA | F8A2 | | | | | | | | | | | | | |"};
  // A look-ahead unit without a rule.
  EXPECT_THROW(UnitTableBuilder("F8", NoEntryPolicy::kKeepSecondByte).Grid(0xF8, kOneLA).Build(),
               std::invalid_argument);
  // A rule for a unit that is not marked LA.
  constexpr ListRule kRuleForFixed[] = {{"F8 A1", "F8 A0 -> F8B0", "nothing"}};
  EXPECT_THROW(UnitTableBuilder("F8", NoEntryPolicy::kKeepSecondByte).Grid(0xF8, kOneLA).ListRules(kRuleForFixed),
               std::invalid_argument);
  // A column naming an unknown class.
  constexpr ColumnRule kRow[] = {{"F8 A0", "F8B0 | nothing"}};
  EXPECT_THROW(UnitTableBuilder("F8", NoEntryPolicy::kKeepSecondByte).Grid(0xF8, kOneLA).ColumnRules("class Q", kRow),
               std::invalid_argument);
  // The same following unit twice in one row.
  constexpr ListRule kTwice[] = {{"F8 A0", "F8 A2 -> F8B0; F8 A2 -> F8B1", "nothing"}};
  EXPECT_THROW(UnitTableBuilder("F8", NoEntryPolicy::kKeepSecondByte).Grid(0xF8, kOneLA).ListRules(kTwice),
               std::invalid_argument);

  constexpr ListRule kGood[] = {{"F8 A0", "F8 A2 -> F8B0 F8B1", "F8B2"}};
  const UnitTable t = UnitTableBuilder("F8", NoEntryPolicy::kKeepSecondByte).Grid(0xF8, kOneLA).ListRules(kGood).Build();
  std::string out;
  ScanUnits(t, std::string_view("\xF8\xA0\xF8\xA2\xF8\xA0", 6), out);
  EXPECT_EQ(out, "\xF8\xB0\xF8\xB1\xF8\xB2");
}

}  // namespace
}  // namespace qorvel
