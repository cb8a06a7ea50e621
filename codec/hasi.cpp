#include "codec/hasi.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>

#include "codec/hex_cell.h"

namespace qorvel {
namespace {

// The first byte of a unit, 0x20..0x7F: one row per high hexadecimal digit,
// one cell per low digit. A hex cell is what is written: F8A2 is the
// GlyphCode bytes F8 A2, two codes are written in the order shown. "copy"
// writes the byte itself, "prefix" takes the next byte by the grave (0x60)
// or tilde (0x7E) rules below, "pair" begins a GBK pair.
constexpr std::string_view kHasiGrid[6][16] = {
    //        x0        x1      x2      x3      x4           x5      x6      x7           x8           x9      xA      xB      xC      xD      xE        xF
    /* 2x */ {"copy",   "F8A2", "F8C5", "F9A1", "F9A2",      "F8FB", "F8FC", "F8DC F8E5", "copy",      "copy", "F8EF", "copy", "F8B2", "F8B1", "F8A5",   "F8AB"},
    /* 3x */ {"copy",   "copy", "copy", "copy", "copy",      "copy", "copy", "copy",      "copy",      "copy", "F8A7", "F8A9", "F8E0", "copy", "F8E3",   "F8AA"},
    /* 4x */ {"F8FD",   "F8B3", "F8C8", "F8E6", "F8DC F8D7", "F8B8", "F8BD", "F8D9",      "F8D0",      "F8D6", "F8DC", "F8D7", "F8E1", "F8DE", "F8BE",   "F8B3 F8BB"},
    /* 5x */ {"F8CD",   "F8D2", "F8F1", "F8E4", "F8C7",      "F8D5", "F8D8", "F8F4",      "F8B6 F8C0", "F8EE", "F8B5", "F8DB", "F8F2", "F8CC", "F8FE",   "F8F3"},
    /* 6x */ {"prefix", "F8B4", "F8C4", "F8EC", "F8EB",      "F8B3", "F8C3", "F8DA",      "F8D1",      "F8B9", "F8ED", "F8D3", "F8E2", "F8DF", "F8BF",   "F8BB"},
    /* 7x */ {"F8CB",   "F8DD", "F8F0", "F8E5", "F8EA",      "F8D4", "F8C9", "F8BC",      "F8B5",      "F8BA", "F8B6", "F8CE", "F8CA", "F8CF", "prefix", "pair"},
};

// Of the bytes below 0x20, CR and LF are copied and 0x00 ends the input; the
// others are dropped. Every byte 0x80..0xFF begins a GBK pair.
constexpr unsigned char kCopiedControls[] = {0x0D, 0x0A};

// After a prefix, its next byte F is always taken. A byte with no rule here
// drops the prefix and F together (as does the end of the input).
struct FollowerRule {
  unsigned char follower;
  std::string_view cell;
};

// Grave prefix 0x60. Besides these, F in 'a'..'}' other than 's' writes what
// F alone writes, and F = '~' begins a tilde unit that takes one more byte.
constexpr FollowerRule kGraveRules[] = {
    {'C', "F8E9"},
    {'S', "F8E7"},
    {'s', "F8E8"},
};
constexpr unsigned char kGraveAsAloneFirst = 'a';
constexpr unsigned char kGraveAsAloneLast = '}';

// Tilde prefix 0x7E.
constexpr FollowerRule kTildeRules[] = {
    {'B', "F8F9"},
    {'F', "F8F6"},
    {'T', "F8F8"},
    {'b', "F8F7"},
    {'f', "F8F5"},
    {'v', "F8FA"},
};

enum class Kind : std::uint8_t {
  kWrite,  // write `bytes` (possibly nothing)
  kGrave,  // grave prefix; as a follower: a tilde unit follows
  kTilde,  // tilde prefix
  kPair,   // GBK lead byte
  kEnd,    // NUL: the input ends
  kDrop,   // a first byte that writes nothing (a control byte): dropped. Its
           // own kind keeps the count off the path of the bytes that write.
};

// What a byte does in one position. The output is stored whole so that the
// inner loop copies a fixed four bytes and advances by `len`.
struct alignas(8) Unit {
  char bytes[4] = {};
  std::uint8_t len = 0;
  Kind kind = Kind::kWrite;
};

// A cell of GlyphCodes ("F8A2" or "F8DC F8E5").
consteval Unit Glyphs(std::string_view cell) {
  const HexCell hex = DecodeHexCell(cell);
  if (hex.len != 2 && hex.len != 4) throw "table cell: one or two GlyphCodes expected";
  Unit u;
  for (std::uint8_t k = 0; k < hex.len; ++k) u.bytes[k] = hex.bytes[k];
  u.len = hex.len;
  return u;
}

consteval Unit Copy(unsigned char b) {
  Unit u;
  u.bytes[0] = static_cast<char>(b);
  u.len = 1;
  return u;
}

consteval Unit Special(Kind kind) {
  Unit u;
  u.kind = kind;
  return u;
}

// First bytes of units.
consteval std::array<Unit, 256> BuildFirstTable() {
  std::array<Unit, 256> t{};
  t[0x00] = Special(Kind::kEnd);
  for (unsigned char b : kCopiedControls) t[b] = Copy(b);
  for (int row = 0; row < 6; ++row) {
    for (int col = 0; col < 16; ++col) {
      const auto b = static_cast<unsigned char>(0x20 + row * 16 + col);
      const std::string_view cell = kHasiGrid[row][col];
      if (cell == "copy") t[b] = Copy(b);
      else if (cell == "pair") t[b] = Special(Kind::kPair);
      else if (cell == "prefix" && b == 0x60) t[b] = Special(Kind::kGrave);
      else if (cell == "prefix" && b == 0x7E) t[b] = Special(Kind::kTilde);
      else t[b] = Glyphs(cell);
    }
  }
  for (int b = 0x80; b <= 0xFF; ++b) t[b] = Special(Kind::kPair);
  return t;
}

// The byte after a prefix.
consteval std::array<Unit, 256> BuildFollowerTable(const FollowerRule* rules, std::size_t n) {
  std::array<Unit, 256> t{};
  for (std::size_t i = 0; i < n; ++i) t[rules[i].follower] = Glyphs(rules[i].cell);
  return t;
}

consteval std::array<Unit, 256> BuildGraveFollowers(const std::array<Unit, 256>& first) {
  std::array<Unit, 256> t = BuildFollowerTable(kGraveRules, std::size(kGraveRules));
  for (int f = kGraveAsAloneFirst; f <= kGraveAsAloneLast; ++f) {
    if (t[f].len > 0) continue;  // a rule of its own
    if (first[f].kind != Kind::kWrite || first[f].len == 0) throw "grave: F alone must write output";
    t[f] = first[f];
  }
  t['~'] = Special(Kind::kTilde);
  return t;
}

// The three tables one after another: first bytes, the byte after a grave
// prefix, the byte after a tilde prefix. The mixed-text scan picks a cell of
// any of them by arithmetic.
constexpr std::size_t kGraveRow = 256;
constexpr std::size_t kTildeRow = 512;
// Under the keep rule the control bytes that would be dropped are copied.
consteval std::array<Unit, 768> BuildUnits(bool keep) {
  std::array<Unit, 256> first = BuildFirstTable();
  const std::array<Unit, 256> grave = BuildGraveFollowers(first);
  const std::array<Unit, 256> tilde = BuildFollowerTable(kTildeRules, std::size(kTildeRules));
  if (keep) {
    for (int b = 1; b < 256; ++b)
      if (first[b].kind == Kind::kWrite && first[b].len == 0 && KeptAlone(static_cast<unsigned char>(b)))
        first[b] = Copy(static_cast<unsigned char>(b));
  }
  for (Unit& u : first)
    if (u.kind == Kind::kWrite && u.len == 0) u.kind = Kind::kDrop;
  std::array<Unit, 768> t{};
  std::copy(first.begin(), first.end(), t.begin());
  std::copy(grave.begin(), grave.end(), t.begin() + kGraveRow);
  std::copy(tilde.begin(), tilde.end(), t.begin() + kTildeRow);
  return t;
}
constexpr std::array<Unit, 768> kAllUnits = BuildUnits(false);
constexpr std::array<Unit, 768> kKeepUnits = BuildUnits(true);
constexpr const Unit* kFirst = kAllUnits.data();

// Whether a block is mixed enough for ConvertMixed: one byte in eight or
// more a prefix or a GBK lead byte.
bool IsMixed(const unsigned char* p, const unsigned char* end) {
  std::uint32_t special = 0;  // a block is far shorter than 4 GB
  for (const unsigned char* q = p; q < end; ++q) special += (*q == 0x60) | (*q >= 0x7E);
  return std::size_t{special} * 8 >= static_cast<std::size_t>(end - p);
}

// Converts whole units from `p` while three bytes are left, without a branch
// on the kind of unit: in text where single bytes, prefixed units and GBK
// pairs are mixed, that branch is mispredicted at every other unit, which
// costs more than this loop's longer chain of loads. Stops early where a NUL
// begins a unit. Writes at most eight bytes per two bytes taken, and no
// more than four per byte in all once the last unit's four are counted.
// Offsets in the chunk count from `origin`, its first byte.
template <bool kNoting>
const unsigned char* ConvertMixed(const unsigned char* p, const unsigned char* end, char*& out, const Unit* units,
                                  const unsigned char* origin, DropTally& outer) {
  DropTally tally = outer;  // a local copy stays in registers
  char* o = out;
  while (end - p >= 3 && p[0] != 0) {
    const std::size_t b0 = p[0], b1 = p[1], b2 = p[2];
    const std::size_t grave = b0 == 0x60, tilde = b0 == 0x7E, pair = b0 >= 0x7F;
    const std::size_t graveTilde = grave & (b1 == 0x7E);  // a tilde unit after a grave prefix
    // The cell by masks: a conditional here would be compiled into the very
    // branches this loop is for avoiding.
    const std::size_t single = 0 - (1 ^ (grave | tilde)), afterGrave = 0 - (grave ^ graveTilde),
                      afterTilde = 0 - tilde, tildeThird = 0 - graveTilde;
    const std::size_t cell = (b0 & single) | ((kGraveRow + b1) & afterGrave) | ((kTildeRow + b1) & afterTilde) |
                             ((kTildeRow + b2) & tildeThird);
    // A GBK pair is copied as it stands (its cell writes nothing); any
    // other unit writes its cell over these two bytes.
    std::memcpy(o, p, 2);
    o += 2 * pair;
    const Unit& u = units[cell];
    std::memcpy(o, u.bytes, 4);
    o += u.len;
    // A step that writes nothing drops all its bytes; a GBK pair's cell is
    // empty, its bytes copied above. (The test is on the length just used:
    // a load of its own would cost this loop more than the rest.)
    const std::size_t step = 1 + (grave | tilde | pair) + graveTilde;
    if constexpr (kNoting) {
      if ((u.len | pair) == 0) [[unlikely]] tally.Add(static_cast<std::size_t>(p - origin), step);
    } else {
      tally.Add<false>(0, ((u.len == 0) & (pair ^ 1)) * step);
    }
    p += step;
  }
  out = o;
  outer = tally;
  return p;
}

// Input is converted in blocks into a buffer on the stack, which is then
// appended whole. No unit writes more than four bytes per byte it takes.
constexpr std::size_t kBlock = 4096;
constexpr std::size_t kMaxOutPerByte = 4;

}  // namespace

std::string_view HasiTableCell(unsigned char prefix, unsigned char b) {
  std::span<const FollowerRule> rules;
  if (prefix == 0) return b >= 0x20 && b <= 0x7F ? kHasiGrid[(b >> 4) - 2][b & 15] : std::string_view();
  if (prefix == 0x60) rules = kGraveRules;
  if (prefix == 0x7E) rules = kTildeRules;
  for (const FollowerRule& rule : rules)
    if (rule.follower == b) return rule.cell;
  return {};
}

// One block of input and its state, held in locals while the block runs.
struct HasiConverter::Block {
  const unsigned char* p;
  const unsigned char* end;
  char* o;
  Pending pending;
  bool ended;
  const Unit* units;  // the rule's table
  const unsigned char* origin;  // the chunk's first byte, where the tally's offsets start
  DropTally tally;
};

template <bool kNoting>
void HasiConverter::ConvertBlock(Block& blk) {
  const unsigned char* p = blk.p;
  const unsigned char* end = blk.end;
  char* o = blk.o;
  Pending pending = blk.pending;
  const Unit* const units = blk.units;
  const Unit* const afterGraveUnits = units + kGraveRow;
  const Unit* const afterTildeUnits = units + kTildeRow;
  const unsigned char* const origin = blk.origin;
  DropTally tally = blk.tally;

  // Writes a first byte's unit of kind kWrite (which writes something).
  const auto put = [&](const Unit& u) {
    std::memcpy(o, u.bytes, 4);
    o += u.len;
  };
  // Writes the follower's unit (of kind kWrite) that ends a prefix step of
  // `bytes` bytes just before p; one that writes nothing drops them all.
  // The step may have begun in the chunk before: offsets wrap as whole
  // numbers.
  const auto write = [&](const Unit& u, std::uint64_t bytes) {
    std::memcpy(o, u.bytes, 4);
    o += u.len;
    if constexpr (kNoting) {
      if (u.len == 0) [[unlikely]] tally.Add(static_cast<std::size_t>(p - origin) - bytes, bytes);
    } else {
      tally.Add<false>(0, (u.len == 0) * bytes);
    }
  };
  // `p` is at the byte after a grave prefix (and p < end).
  const auto afterGrave = [&] {
    const Unit& u = afterGraveUnits[*p++];
    if (u.kind != Kind::kTilde) write(u, 2);
    else if (p == end) pending = Pending::kGraveTildeFollower;
    else {
      ++p;
      write(afterTildeUnits[p[-1]], 3);
    }
  };
  const auto afterTilde = [&](std::uint64_t bytes) {
    ++p;
    write(afterTildeUnits[p[-1]], bytes);
  };

  // A unit cut by the last block's end takes its next byte first.
  if (p < end) {
    switch (pending) {
      case Pending::kNone: break;
      case Pending::kPairTrail: *o++ = static_cast<char>(*p++); pending = Pending::kNone; break;
      case Pending::kGraveFollower: pending = Pending::kNone; afterGrave(); break;
      case Pending::kTildeFollower: pending = Pending::kNone; afterTilde(2); break;
      case Pending::kGraveTildeFollower: pending = Pending::kNone; afterTilde(3); break;
    }
  }

  if (IsMixed(p, end)) p = ConvertMixed<kNoting>(p, end, o, units, origin, tally);
  // A unit is cut only by the block's end, so `pending` is set only there.
  while (p < end) {
    const Unit& u = units[*p++];
    if (u.kind == Kind::kWrite) [[likely]] {
      put(u);
      continue;
    }
    switch (u.kind) {
      case Kind::kWrite:  // handled above
        break;
      case Kind::kDrop:
        tally.Add<kNoting>(static_cast<std::size_t>(p - origin) - 1, 1);
        break;
      case Kind::kPair:
        // The lead byte is written at once; at the end of the input it is
        // written alone rather than lost.
        *o++ = static_cast<char>(p[-1]);
        if (p == end) pending = Pending::kPairTrail;
        else *o++ = static_cast<char>(*p++);
        break;
      case Kind::kGrave:
        if (p == end) pending = Pending::kGraveFollower;
        else afterGrave();
        break;
      case Kind::kTilde:
        if (p == end) pending = Pending::kTildeFollower;
        else afterTilde(2);
        break;
      case Kind::kEnd:
        blk.ended = true;
        end = p;
        break;
    }
  }
  blk.p = p;
  blk.o = o;
  blk.pending = pending;
  blk.tally = tally;
}

bool HasiConverter::Feed(std::string_view chunk, std::string& out) {
  if (carried_.ended) return false;
  const auto* const begin = reinterpret_cast<const unsigned char*>(chunk.data());
  const auto* const end = begin + chunk.size();
  out.reserve(out.size() + 2 * chunk.size());
  char buf[kMaxOutPerByte * kBlock];
  Block blk{begin, begin, buf, carried_.pending, false, options_.keep ? kKeepUnits.data() : kAllUnits.data(),
            begin, DropTally({carried_.drops, carried_.consumed})};
  while (blk.p < end && !blk.ended) {
    blk.end = blk.p + std::min<std::size_t>(kBlock, static_cast<std::size_t>(end - blk.p));
    blk.o = buf;
    if (blk.tally.Noting()) ConvertBlock<true>(blk);
    else ConvertBlock<false>(blk);
    out.append(buf, static_cast<std::size_t>(blk.o - buf));
  }
  blk.tally.Flush();
  carried_.pending = blk.pending;
  carried_.ended = blk.ended;
  carried_.consumed += static_cast<std::uint64_t>(blk.p - begin);
  return !carried_.ended;
}

std::size_t HasiConverter::FreshStart(std::string_view chunk, std::size_t from) const {
  for (std::size_t j = from; j < chunk.size(); ++j)
    if (const Kind k = kFirst[static_cast<unsigned char>(chunk[j])].kind; k == Kind::kWrite || k == Kind::kDrop)
      return j + 1;
  return std::string_view::npos;
}

void HasiConverter::Adopt(StreamConverter& later) {
  AdoptCarried(carried_, later, &HasiConverter::carried_);
}

HasiConverter::HasiConverter(ConvertOptions options) : options_(options) {}

void HasiConverter::Finish(std::string&) {
  // A prefix cut off by the end of the input is dropped with nothing after
  // it; a lone GBK lead byte is already out.
  switch (carried_.pending) {
    case Pending::kGraveFollower:
    case Pending::kTildeFollower:
      carried_.drops.Note(carried_.consumed - 1);
      break;
    case Pending::kGraveTildeFollower:
      carried_.drops.Note(carried_.consumed - 2, 2);
      break;
    case Pending::kNone:
    case Pending::kPairTrail:
      break;
  }
  carried_.pending = Pending::kNone;
}

}  // namespace qorvel
