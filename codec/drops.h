#pragma once
// What a conversion drops, counted the same way for every code.
//
// A code converts in steps: each step takes one or more input bytes and
// writes zero or more bytes. The dropped bytes are
//   1. every byte of a step that writes nothing (a byte or unit whose table
//      entry is "nothing" or absent, a look-ahead unit standing alone whose
//      standalone output is nothing, a prefix step that gives nothing);
//   2. the lead byte of a two-byte unit without an entry (its second byte
//      goes on as the code says: appended, or starting the next unit);
//   3. a lead byte alone at the very end of the text.
// Bytes taken by a step that writes something are not dropped (a joined
// pair, what a skip unit swallows, a lead byte written alone at the end),
// nor are the spaces a file code shortens, line ends, or the NUL that ends
// a text. Each code's header says which of its bytes these are.
//
// The count is exact; the offsets of the first few dropped bytes (counted
// from the start of the input) are kept so that a user can be shown where.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qorvel {

struct Drops {
  static constexpr std::size_t kKeptOffsets = 5;

  std::uint64_t count = 0;
  // The smallest offsets of dropped bytes, ascending; the first Kept() are set.
  std::array<std::uint64_t, kKeptOffsets> first{};

  std::size_t Kept() const { return count < kKeptOffsets ? static_cast<std::size_t>(count) : kKeptOffsets; }

  // `bytes` bytes from `offset` on are dropped. A code may note its drops out
  // of order (a word's units are converted after the bytes between them).
  // Once the offsets kept are the first five, a drop further on only counts:
  // that is the path a text with many drops takes, kept short and inline.
  void Note(std::uint64_t offset, std::uint64_t bytes = 1) {
    if (count >= kKeptOffsets && offset >= first[kKeptOffsets - 1]) [[likely]] {
      count += bytes;
      return;
    }
    NoteAmongFirst(offset, bytes);
  }

  // Adds the drops of a conversion of the input that follows from offset
  // `shift` on: its count adds to this one, its offsets move by `shift`.
  void Add(const Drops& later, std::uint64_t shift) {
    AddMapped(later, [shift](std::uint64_t at) { return at + shift; });
  }
  // Adds `other`, whose offsets `where` maps to this conversion's, keeping
  // their order.
  template <class Where>
  void AddMapped(const Drops& other, Where where) {
    const std::uint64_t total = count + other.count;
    for (std::size_t k = 0; k < other.Kept(); ++k) Note(where(other.first[k]));
    count = total;
  }

  bool operator==(const Drops& o) const {
    return count == o.count && std::equal(first.begin(), first.begin() + Kept(), o.first.begin());
  }

 private:
  void NoteAmongFirst(std::uint64_t offset, std::uint64_t bytes);
};

// Where a scan over a piece of the input notes its drops: `base` is the
// offset of the piece's first byte.
struct DropLog {
  Drops& drops;
  std::uint64_t base;
};

// What a scan's inner loop drops, counted in a register: offsets are noted
// only while the first five are not all known, and after that a drop only
// adds to a count that goes into `drops` at Flush. Good for drops noted in
// the order of their offsets, after every drop noted so far (so once five
// are kept, none of the later ones can be among the first). Flush before
// anything else notes into the same Drops, and at the end.
//
// A loop takes a block of steps in one of two ways, chosen at the block's
// start from Noting(): while offsets are noted, a step that drops nothing
// costs one well-predicted branch (clean text stays in this way); once five
// are known, each step adds its count with no branch at all (a text full of
// drops, where a branch would be mispredicted at every other step).
class DropTally {
 public:
  explicit DropTally(const DropLog& log)
      : drops_(&log.drops), base_(log.base), noting_(log.drops.count < Drops::kKeptOffsets) {}

  bool Noting() const { return noting_; }

  // `bytes` bytes from offset `at` of the piece are dropped (0: none).
  template <bool kNoting = true>
  void Add(std::size_t at, std::uint64_t bytes) {
    if constexpr (kNoting) {
      if (bytes != 0) [[unlikely]] Dropped(at, bytes);
    } else {
      pending_ += bytes;
    }
  }
  void Flush() {
    drops_->count += pending_;
    pending_ = 0;
  }

  // Taking back what was added since Mark (later notes only ever went
  // after the ones kept then).
  struct Mark {
    std::uint64_t count, pending;
    bool noting;
  };
  Mark Here() const { return {drops_->count, pending_, noting_}; }
  void Back(const Mark& m) {
    drops_->count = m.count;
    pending_ = m.pending;
    noting_ = m.noting;
  }

 private:
  void Dropped(std::size_t at, std::uint64_t bytes) {
    if (!noting_) {
      pending_ += bytes;
      return;
    }
    drops_->Note(base_ + at, bytes);
    noting_ = drops_->count < Drops::kKeptOffsets;
  }

  Drops* drops_;
  std::uint64_t base_;
  std::uint64_t pending_ = 0;
  bool noting_;
};

// Where a text that a NUL byte ended stopped short. A NUL at the very end of
// the input, or followed by NULs alone (a clipboard block's terminator and
// its padding), ends nothing early.
// `after` is input after the ending NUL, as far as it is known.
bool EndsEarly(std::string_view after);

// The rule a converter is made with.
struct ConvertOptions {
  // Keep text of another script whole instead of dropping it: a control
  // byte the code would drop is copied, and a byte 0x81..0xFE the code
  // would drop takes the byte after it along (when that can be the second
  // byte of a GBK character) and both are copied. A unit of the code's own
  // lead bytes without an entry is still dropped: copying it would put a
  // wrong glyph in the output. Where nothing is dropped the output is the
  // same as without it.
  bool keep = false;
};

// The keep rule's view of a byte the code would drop: whether it is copied
// alone, or starts a GBK character that takes `next` along.
constexpr bool KeptAlone(unsigned char b) { return b < 0x20 || b == 0x7F; }
constexpr bool KeptLead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
constexpr bool KeptTrail(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

}  // namespace qorvel
