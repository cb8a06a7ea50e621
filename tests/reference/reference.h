#pragma once
// Slow, obviously-correct versions of every converter and of the layout, for
// the tests and the fuzzers to hold the fast code against. Each follows its
// rules one byte at a time over the whole input, with no blocks, no bridges
// and no word tricks. They read the same tables as the fast code (the unit
// cells through UnitTable::Find, the byte maps through their table-cell
// lookups), never a copy of a table, but scan with logic of their own.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codec/drops.h"
#include "codec/unit_table.h"
#include "layout/layout.h"

namespace qorvel {

// Offsets of the input's dropped bytes, every one of them, ascending.
using DroppedOffsets = std::vector<std::uint64_t>;

struct ReferenceResult {
  std::string out;
  std::uint64_t consumed = 0;  // input bytes taken, up to and including an ending NUL
  bool endedAtNul = false;
  DroppedOffsets dropped;
};

// The count and the first offsets of `offsets`, as a converter keeps them.
inline Drops AsKept(const DroppedOffsets& offsets) {
  Drops d;
  d.count = offsets.size();
  for (std::size_t k = 0; k < d.Kept(); ++k) d.first[k] = offsets[k];
  return d;
}

// The code called `codecName` of the registry, as `qorvel convert --from
// NAME` converts `input` (with `--keep` when `keep`). Throws
// std::invalid_argument for a code that has no reference here, so that a
// new code cannot go unchecked.
ReferenceResult ReferenceRun(std::string_view codecName, std::string_view input, bool keep = false);
std::string ReferenceConvert(std::string_view codecName, std::string_view input);

// The two-byte unit scan over `text` (which may hold NULs: they are plain
// bytes here): a byte that leads no unit is copied; bytes past the end join
// nothing; a lead byte that is the last byte is dropped. Appends the
// positions in `text` of the bytes it drops to `dropped`.
std::string ReferenceUnitScan(const UnitTable& table, std::string_view text, DroppedOffsets* dropped = nullptr);

// The codes one by one; a paste ends at its first NUL.
ReferenceResult ReferenceMengkeliFile(std::string_view input, bool keep);
ReferenceResult ReferenceHasi(std::string_view input, bool keep);
std::string ReferenceMengkeliPaste(std::string_view text, DroppedOffsets* dropped = nullptr);
std::string ReferenceMingantu(std::string_view text, DroppedOffsets* dropped = nullptr);
std::string ReferenceWordFont(std::string_view text, bool keep = false, DroppedOffsets* dropped = nullptr);

// The layout: wrapping (the source ends at its first NUL), measuring the
// whole pending line at every space; and the web format by walking the
// wrapped text backwards.
std::string ReferenceWrap(std::string_view source, std::uint32_t lineHeight,
                          const TextMeasurer& measurer = SystemFontCells());
std::string ReferenceWebFormat(std::string_view wrapped);

// UTF-8 read as cp936.h's Utf8ToUnits reads it: UTF-16, with one lone
// surrogate U+D800 for each ill-formed sequence (the byte that starts none
// and the continuation bytes right after it, four bytes at most).
std::u16string ReferenceUtf8ToUnits(std::string_view text);

// The HTML columns of a wrapped text (each line ended by CR LF) in a face
// of letters only: each line decoded on its own to UTF-16 by `decode` and
// written a character at a time.
std::string ReferenceHtmlColumns(std::string_view wrapped, std::u16string (*decode)(std::string_view),
                                 std::string_view face, int size);

}  // namespace qorvel
