#include <algorithm>
#include <cstring>

#include "codec/unit_table.h"

namespace qorvel {

std::string_view CutAtNul(std::string_view text) {
  if (const void* nul = std::memchr(text.data(), 0, text.size()))
    return text.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - text.data()));
  return text;
}

namespace {

// Input is converted in blocks into a buffer on the stack, which is then
// appended whole. A step appends at most three bytes per byte it takes and
// at most eight in all; the last step of a block may run past its end, and
// outputs are copied eight bytes at a time.
constexpr std::size_t kBlock = 4096;
constexpr std::size_t kBlockOut = kUnitOutPerByte * kBlock + 8 + 8;

// The scan from s[i] while i < stop, where every unit that starts before
// `stop` has its whole span inside the text. Counts the look-ahead units.
template <Followers kFollowers, bool kNoting>
std::size_t ScanInside(const UnitTable& t, const unsigned char* s, std::size_t i, std::size_t stop, char*& o,
                       std::size_t& lookAheads, DropTally& outer) {
  DropTally tally = outer;  // a local copy stays in registers
  while (i < stop) {
    const int lead = t.leadIndex[s[i]];
    if (lead >= 0) {
      i = TakeUnit<kFollowers, kNoting>(t, lead, s, i, o, lookAheads, tally);
      continue;
    }
    // A byte that starts no unit passes through; lead bytes are 0x80 and
    // above, so plain ASCII goes eight bytes at once.
    std::uint64_t eight;
    if (i + 8 <= stop && (std::memcpy(&eight, s + i, 8), (eight & 0x8080808080808080u) == 0)) {
      std::memcpy(o, &eight, 8);
      o += 8;
      i += 8;
    } else {
      *o++ = static_cast<char>(s[i++]);
    }
  }
  outer = tally;
  return i;
}

// The unit at s[i] near the end of the whole text (s[i] a lead byte, i < n),
// taken with every check.
std::size_t TakeLastUnits(const UnitTable& t, const unsigned char* s, std::size_t n, std::size_t i, char*& o,
                          DropTally& tally) {
  if (i + 1 == n) {  // a lead byte with nothing after it is dropped
    tally.Add(i, 1);
    return n;
  }
  const UnitCell& cell = t.units[static_cast<std::size_t>(t.leadIndex[s[i]])][s[i + 1]];
  switch (cell.step) {
    case UnitStep::kRestart:
      tally.Add(i, 1);
      return i + 1;
    case UnitStep::kSkip:
      PutOutput(o, cell.out);
      if (i + 3 < n && s[i + 2] == t.skipLead && s[i + 3] == t.skipSecond)
        return std::min(n, i + 4 + t.skipExtra);  // past the end: the scan is over
      return i + 2;
    case UnitStep::kJoin:
      // Only a whole following unit inside the text can join.
      if (i + 3 < n) {
        if (const JoinCell* join = t.FindJoinCell(cell, s[i + 2], s[i + 3])) {
          PutOutput(o, join->out);
          tally.Add(i, join->dropped);
          return i + 4;
        }
      }
      break;
    case UnitStep::kFixed:
      break;
  }
  PutOutput(o, cell.out);
  tally.Add(i, cell.dropped);
  return i + 2;
}

}  // namespace

std::size_t UnitFreshStart(const UnitTable& t, std::string_view text, std::size_t from) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const bool hasSkip = t.skipLead != 0;
  for (std::size_t j = from; j + 1 < text.size(); ++j) {
    if (t.leadIndex[s[j + 1]] >= 0) {
      ++j;  // no pair starts here or at j + 1
      continue;
    }
    if (t.leadIndex[s[j]] < 0 && !(hasSkip && s[j] == t.skipSecond)) return j + 2;
  }
  return std::string_view::npos;
}

std::size_t ScanUnits(const UnitTable& t, std::string_view text, bool last, std::string& out, DropLog log) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  // Units that start before `inside` lie whole inside the text.
  const std::size_t inside = n >= t.span ? n - t.span + 1 : 0;
  char buf[kBlockOut];
  std::size_t i = 0;
  // Each block is scanned the way the last one's look-ahead units favour:
  // every follower is looked up once one unit in eight looks ahead (a block
  // holds about kBlock / 2 units).
  bool mostlyLookAheads = false;
  DropTally tally(log);
  while (i < inside) {
    char* o = buf;
    std::size_t lookAheads = 0;
    const std::size_t stop = std::min(inside, i + kBlock);
    if (mostlyLookAheads)
      i = tally.Noting() ? ScanInside<Followers::kOfEveryUnit, true>(t, s, i, stop, o, lookAheads, tally)
                         : ScanInside<Followers::kOfEveryUnit, false>(t, s, i, stop, o, lookAheads, tally);
    else
      i = tally.Noting() ? ScanInside<Followers::kOfLookAheadUnits, true>(t, s, i, stop, o, lookAheads, tally)
                         : ScanInside<Followers::kOfLookAheadUnits, false>(t, s, i, stop, o, lookAheads, tally);
    mostlyLookAheads = lookAheads * 16 > kBlock;
    out.append(buf, static_cast<std::size_t>(o - buf));
  }
  // Fewer than a span of bytes is left: a unit here needs the rest of the
  // text, or the knowledge that there is none.
  char* o = buf;
  while (i < n) {
    if (t.leadIndex[s[i]] < 0) {
      *o++ = static_cast<char>(s[i++]);
    } else if (last) {
      i = TakeLastUnits(t, s, n, i, o, tally);
    } else {
      break;
    }
  }
  out.append(buf, static_cast<std::size_t>(o - buf));
  tally.Flush();
  return i;
}

}  // namespace qorvel
