// The paste scans read in chunks: a scan that is not given the end of the
// text stops only within the bridge PasteStream carries over, and what it
// left converts, as the end of the text, into the rest of the whole text's
// bytes.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "codec/mengkeli_paste.h"
#include "codec/mingantu.h"
#include "codec/paste_stream.h"
#include "codec/wordfont.h"
#include "reference/reference.h"

namespace qorvel {
namespace {

// Random text over `pool` with now and then any byte but NUL.
std::string RandomText(std::mt19937& rng, std::string_view pool, std::size_t maxLen) {
  std::uniform_int_distribution<std::size_t> len(0, maxLen), pick(0, pool.size() - 1);
  std::uniform_int_distribution<int> roll(0, 99), byte(1, 255);
  std::string text;
  for (std::size_t k = len(rng); k > 0; --k) text += roll(rng) < 10 ? static_cast<char>(byte(rng)) : pool[pick(rng)];
  return text;
}

struct PasteCase {
  const char* codecName;
  ResumableScan chunk;
  std::string_view pool;
};

const PasteCase kCases[] = {
    {"mengkeli-paste", &ConvertMengkeliPasteChunk,
     std::string_view("\xF8\xF9\xFA\xFB\xF8\xF9\xD0\xD9\xD8\xD4\xC5\xD6\xE4\xA1\xA2 \r\n")},
    {"mingantu", &ConvertMingantuPasteChunk,
     std::string_view("\xA3\xA6\xF8\xF9\xFA\xFB\xA1\xE0\xAF\xB9\xE9\xC4\xCA\xD2\xFB\xAC \r\n")},
    {"wordfont", &ConvertWordFontPasteChunk, std::string_view("Ab{x}$\"&\xB4\xCE\xB0\xA1 \r\n")},
};

TEST(PasteChunks, ChunkStopsOnlyWithinTheBridge) {
  std::mt19937 rng(2718);
  for (const PasteCase& c : kCases) {
    SCOPED_TRACE(c.codecName);
    for (int round = 0; round < 3000; ++round) {
      const std::string text = RandomText(rng, c.pool, 60);
      std::string out;
      Drops drops;
      const std::size_t stop = c.chunk(text, false, out, {drops, 0});
      ASSERT_LE(stop, text.size());
      ASSERT_LT(text.size() - stop, kPasteBridge);
      c.chunk(std::string_view(text).substr(stop), true, out, {drops, stop});
      ASSERT_EQ(out, ReferenceConvert(c.codecName, text)) << "round " << round;
      ASSERT_EQ(drops.count, ReferenceRun(c.codecName, text).dropped.size()) << "round " << round;
      std::string last;
      ASSERT_EQ(c.chunk(text, true, last, {drops, 0}), text.size());
    }
  }
}

}  // namespace
}  // namespace qorvel
