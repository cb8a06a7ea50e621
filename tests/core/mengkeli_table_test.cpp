#include <gtest/gtest.h>

#include <type_traits>

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

// Malformed tables stop the build: each case below is checked by the
// compiler, which evaluates the builder as the real tables are built.
template <auto kBuild>
concept Builds = requires { typename std::integral_constant<int, (kBuild(), 0)>; };

constexpr std::string_view kShortRow[] = {"Ax | F8A2 | F8A3"};
constexpr std::string_view kBadCell[] = {"Ax | F8A | | | | | | | | | | | | | | |"};
constexpr std::string_view kOneLA[] = {"Ax | LA | F8A2 | | | | | | | | | | | | | |"};
constexpr ListRule kRuleForFixed[] = {{"F8 A1", "F8 A0 -> F8B0", "nothing"}};
constexpr ColumnRule kUnknownClass[] = {{"F8 A0", "F8B0 | nothing"}};
constexpr ListRule kTwice[] = {{"F8 A0", "F8 A2 -> F8B0; F8 A2 -> F8B1", "nothing"}};
constexpr ListRule kGood[] = {{"F8 A0", "F8 A2 -> F8B0 F8B1", "F8B2"}};

consteval UnitTableBuilder OneLead() { return UnitTableBuilder("F8", NoEntryPolicy::kKeepSecondByte); }

static_assert(!Builds<[]() consteval { return OneLead().Grid(0xF8, kShortRow).Build().leadCount; }>);
static_assert(!Builds<[]() consteval { return OneLead().Grid(0xF8, kBadCell).Build().leadCount; }>);
// A look-ahead unit without a rule.
static_assert(!Builds<[]() consteval { return OneLead().Grid(0xF8, kOneLA).Build().leadCount; }>);
// A rule for a unit that is not marked LA.
static_assert(!Builds<[]() consteval { return OneLead().Grid(0xF8, kOneLA).ListRules(kRuleForFixed).Build().leadCount; }>);
// A column naming an unknown class.
static_assert(!Builds<[]() consteval {
  return OneLead().Grid(0xF8, kOneLA).ColumnRules("class Q", kUnknownClass).Build().leadCount;
}>);
// The same following unit twice in one row.
static_assert(!Builds<[]() consteval { return OneLead().Grid(0xF8, kOneLA).ListRules(kTwice).Build().leadCount; }>);
static_assert(Builds<[]() consteval { return OneLead().Grid(0xF8, kOneLA).ListRules(kGood).Build().leadCount; }>);

consteval UnitTable GoodTable() { return OneLead().Grid(0xF8, kOneLA).ListRules(kGood).Build(); }

TEST(UnitTableBuilder, AWellFormedTableJoinsByItsRule) {
  static constexpr UnitTable kTable = GoodTable();
  std::string out;
  Drops drops;
  ScanUnits(kTable, std::string_view("\xF8\xA0\xF8\xA2\xF8\xA0", 6), true, out, {drops, 0});
  EXPECT_EQ(out, "\xF8\xB0\xF8\xB1\xF8\xB2");
}

}  // namespace
}  // namespace qorvel
