// The paste converters read in chunks: any chunking gives the whole text's
// bytes, and the unit scans agree with a plain scan that follows the rules
// one position at a time.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "codec/paste_stream.h"
#include "codec/mengkeli_table.h"
#include "codec/mengkeli_paste.h"
#include "codec/mingantu.h"
#include "codec/wordfont.h"

namespace qorvel {
namespace {

// The unit scan one position at a time, straight from the rules: a byte
// that leads no unit passes through; bytes past the end of the text count as
// NUL and join nothing. `text` holds no NUL.
std::string PlainScan(const UnitTable& t, std::string_view text) {
  const std::size_t n = text.size();
  const auto at = [&](std::size_t k) -> std::uint8_t { return k < n ? static_cast<std::uint8_t>(text[k]) : 0; };
  std::string out;
  std::size_t i = 0;
  while (i < n) {
    const UnitCell* cell = t.Find(at(i), at(i + 1));
    if (!cell) {
      out += text[i++];
      continue;
    }
    if (i + 1 == n) break;  // a lone lead byte at the end
    switch (cell->kind) {
      case UnitKind::kFixed:
        out += cell->out.View();
        i += 2;
        break;
      case UnitKind::kSkip:
        out += cell->out.View();
        i += at(i + 2) == t.skipLead && at(i + 3) == t.skipSecond ? 4u + t.skipExtra : 2u;
        break;
      case UnitKind::kLookAhead: {
        const std::size_t col = i + 3 < n ? t.column[static_cast<std::size_t>(t.leadIndex[at(i + 2)] + 1)][at(i + 3)] : 0;
        const JoinCell& join = t.joins[cell->joinRow + col];
        out += join.joins ? join.out.View() : cell->out.View();
        i += join.joins ? 4 : 2;
        break;
      }
      case UnitKind::kNoEntry:
        if (t.noEntry == NoEntryPolicy::kRestartAtLaterLead && t.leadIndex[at(i + 1)] > t.leadIndex[at(i)]) {
          i += 1;
        } else {
          out += text[i + 1];
          i += 2;
        }
        break;
    }
  }
  return out;
}

// Random text over `pool` with now and then any byte; a NUL only when
// `nul` is set.
std::string RandomText(std::mt19937& rng, std::string_view pool, std::size_t maxLen, bool nul) {
  std::uniform_int_distribution<std::size_t> len(0, maxLen), pick(0, pool.size() - 1);
  std::uniform_int_distribution<int> roll(0, 99), byte(nul ? 0 : 1, 255);
  std::string text;
  for (std::size_t k = len(rng); k > 0; --k)
    text += roll(rng) < 10 ? static_cast<char>(byte(rng)) : pool[pick(rng)];
  return text;
}

using WholeText = void (*)(std::string_view, std::string&);

struct PasteCase {
  const char* name;
  WholeText whole;
  ResumableScan chunk;
  std::string_view pool;
};

const PasteCase kCases[] = {
    {"mengkeli", &ConvertMengkeliPaste, &ConvertMengkeliPasteChunk,
     std::string_view("\xF8\xF9\xFA\xFB\xF8\xF9\xD0\xD9\xD8\xD4\xC5\xD6\xE4\xA1\xA2 \r\n")},
    {"mingantu", &ConvertMingantuPaste, &ConvertMingantuPasteChunk,
     std::string_view("\xA3\xA6\xF8\xF9\xFA\xFB\xA1\xE0\xAF\xB9\xE9\xC4\xCA\xD2\xFB\xAC \r\n")},
    {"wordfont", &ConvertWordFontPaste, &ConvertWordFontPasteChunk, std::string_view("Ab{x}$\"&\xB4\xCE\xB0\xA1 \r\n")},
};

std::string Whole(const PasteCase& c, std::string_view text) {
  std::string out;
  c.whole(text, out);
  return out;
}

// Feeds `text` through a PasteStream in pieces of 0..maxPiece bytes.
std::string Streamed(const PasteCase& c, std::string_view text, std::mt19937& rng, std::size_t maxPiece,
                     std::uint64_t* consumed = nullptr) {
  std::uniform_int_distribution<std::size_t> piece(0, maxPiece);
  PasteStream stream(c.chunk);
  std::string out = "held";
  bool more = true;
  for (std::size_t at = 0; more && at < text.size();) {
    const std::size_t size = std::min(piece(rng), text.size() - at);
    more = stream.Feed(text.substr(at, size), out);
    at += size;
  }
  stream.Finish(out);
  if (consumed) *consumed = stream.Consumed();
  return out.substr(4);
}

TEST(PasteChunks, AnyChunkingGivesTheWholeTextsBytes) {
  std::mt19937 rng(314);
  for (const PasteCase& c : kCases) {
    SCOPED_TRACE(c.name);
    for (int round = 0; round < 2000; ++round) {
      const std::string text = RandomText(rng, c.pool, 80, round % 4 == 0);
      const std::string want = Whole(c, text);
      std::uint64_t consumed = 0;
      ASSERT_EQ(Streamed(c, text, rng, round % 2 ? 3 : 20, &consumed), want) << "round " << round;
      const std::size_t nul = text.find('\0');
      ASSERT_EQ(consumed, nul == std::string::npos ? text.size() : nul + 1);
    }
    // Texts longer than the scans' internal blocks, in small and large pieces.
    for (int round = 0; round < 6; ++round) {
      const std::string text = RandomText(rng, c.pool, 40000, false);
      const std::string want = Whole(c, text);
      ASSERT_EQ(Streamed(c, text, rng, 7), want);
      ASSERT_EQ(Streamed(c, text, rng, 9000), want);
    }
  }
}

TEST(PasteChunks, ChunkStopsOnlyWithinTheBridge) {
  std::mt19937 rng(2718);
  for (const PasteCase& c : kCases) {
    SCOPED_TRACE(c.name);
    for (int round = 0; round < 3000; ++round) {
      const std::string text = RandomText(rng, c.pool, 60, false);
      std::string out;
      const std::size_t stop = c.chunk(text, false, out);
      ASSERT_LE(stop, text.size());
      ASSERT_LT(text.size() - stop, kPasteBridge);
      // What was converted, and the rest as the end of the text, make the
      // whole text.
      c.chunk(std::string_view(text).substr(stop), true, out);
      ASSERT_EQ(out, Whole(c, text)) << "round " << round;
      std::string last;
      ASSERT_EQ(c.chunk(text, true, last), text.size());
    }
  }
}

TEST(PasteChunks, UnitScansAgreeWithThePlainScan) {
  std::mt19937 rng(1618);
  struct Code {
    const UnitTable& table;
    WholeText whole;
    std::string_view pool;
  };
  const Code codes[] = {{MengkeliUnitTable(), &ConvertMengkeliPaste, kCases[0].pool},
                        {MingantuUnitTable(), &ConvertMingantuPaste, kCases[1].pool}};
  for (const Code& code : codes) {
    for (int round = 0; round < 3000; ++round) {
      const std::string text = RandomText(rng, code.pool, round % 100 == 0 ? 20000 : 60, false);
      std::string out;
      code.whole(text, out);
      ASSERT_EQ(out, PlainScan(code.table, text)) << "round " << round;
    }
  }
}

}  // namespace
}  // namespace qorvel
