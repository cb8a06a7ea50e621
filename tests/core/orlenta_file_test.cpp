#include "codec/mengkeli_file.h"

#include <gtest/gtest.h>

#include "support/hex.h"

#include <string>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "fileio/convert_file.h"
#include "codec/mengkeli_word.h"

namespace qorvel {
namespace {

using testing::H;

struct Converted {
  std::string out;
  bool endedAtNul = false;
  std::uint64_t consumed = 0;
};

// Feeds `input` in pieces of the given sizes (the rest in one piece), then
// finishes, as the conversion driver does.
Converted Convert(std::string_view input, const std::vector<std::size_t>& pieces = {}) {
  MengkeliFileConverter conv;
  Converted r;
  std::size_t at = 0;
  bool more = true;
  for (std::size_t piece : pieces) {
    if (!more || at >= input.size()) break;
    piece = std::min(piece, input.size() - at);
    more = conv.Feed(input.substr(at, piece), r.out);
    at += piece;
  }
  if (more && at < input.size()) more = conv.Feed(input.substr(at), r.out);
  conv.Finish(r.out);
  r.endedAtNul = !more;
  r.consumed = conv.Consumed();
  return r;
}

std::string File(std::string_view hex) { return Convert(H(hex)).out; }

// The conversion as the read pass and the write pass describe it, over the
// whole input at once: bytes read one at a time with an end-of-file value,
// the whole converted text built, then written with spaces collapsed. Two
// fixes to the end of the file: a lead byte read last is dropped, and an
// 0xA1 or 0xA3 read last is written alone.
std::string Reference(std::string_view in) {
  constexpr int kEof = -1;
  std::size_t pos = 0;
  bool eof = false;
  auto get = [&]() -> int {
    if (pos < in.size()) return static_cast<unsigned char>(in[pos++]);
    eof = true;
    return kEof;
  };
  std::string output, word;
  auto flush = [&] {
    ConvertMengkeliWord(word, output);
    word.clear();
  };
  for (;;) {
    const int b = get();
    if (b >= 0x21 && b <= 0x7D) {
      flush();
      output += static_cast<char>(b);
    } else if (b == 0x00) {
      break;
    } else if (b == 0x20) {
      flush();
      output += ' ';
    } else if (b == 0x0D) {
      flush();
      output += '\r';
    } else if (b == 0x0A) {
      output += '\n';
    } else if (b == 0xA1 || b == 0xA3) {
      flush();
      const int c = get();
      if (b == 0xA1 && c == 0xA4) {
        output += "\xF8\xA3";
      } else if (b == 0xA3 && c == 0xA5) {
        output += "\xF8\xAE";
      } else {
        output += static_cast<char>(b);
        if (c != kEof) output += static_cast<char>(c);
      }
    } else if (b >= 0xF8 && b <= 0xFB) {
      const int c = get();
      if (c != kEof) {
        word += static_cast<char>(b);
        word += static_cast<char>(c);
      }
    }
    if (eof) break;
  }
  flush();

  std::string written;
  const std::size_t n = output.size();
  auto space = [&](std::size_t k) { return k < n && output[k] == ' '; };
  for (std::size_t i = 0; i < n; ++i) {
    if (space(i) && space(i + 1)) {
      ++i;
      if (space(i + 1)) ++i;
    }
    written += output[i];
  }
  return written;
}

TEST(OrlentaFile, SeparatorsAndWords) {
  EXPECT_EQ(File(""), "");
  EXPECT_EQ(File("41 42 20 43 44"), "AB CD");
  // A word at the very end is converted by the final flush.
  EXPECT_EQ(File("41 F9D0 F8D9"), H("41 F8C4"));
  MengkeliFileConverter conv;
  std::string out;
  EXPECT_TRUE(conv.Feed(H("F8A2"), out));
  EXPECT_EQ(out, "");
  conv.Finish(out);
  EXPECT_EQ(out, H("F8A4"));
  // Words end at printable ASCII, space, CR, A1 and A3.
  EXPECT_EQ(File("F9D0 2C F8D9"), H("F8C3 2C F8B4"));
  EXPECT_EQ(File("F9D0 0D0A F8D9"), H("F8C3 0D0A F8B4"));
  EXPECT_EQ(File("F9D0 A1A4 F8D9"), H("F8C3 F8A3 F8B4"));
}

TEST(OrlentaFile, BytesThatDoNotEndAWord) {
  // An LF is written when it is read, ahead of the word around it, and the
  // word stays one word (so its units still join).
  EXPECT_EQ(File("F9D0 0A F8D9 20"), H("0A F8C4 20"));
  EXPECT_EQ(File("F8A2 0A F8A2 0A 0A"), H("0A 0A 0A F8A4 F8A4"));
  // Dropped bytes: tab, tilde, GBK bytes outside the table, 0xFC..0xFF.
  EXPECT_EQ(File("F9D0 09 F8D9"), H("F8C4"));
  EXPECT_EQ(File("F9D0 7E A2 D6 FF F8D9"), H("F8C4"));
  EXPECT_EQ(File("09 7E 80 A0 A2 A4 F7 FC FF"), "");
}

TEST(OrlentaFile, TranslatedPairs) {
  EXPECT_EQ(File("A1A4"), H("F8A3"));
  EXPECT_EQ(File("A3A5"), H("F8AE"));
  EXPECT_EQ(File("A1A3"), H("A1A3"));
  // The byte after 0xA1/0xA3 is taken as it is and starts nothing.
  EXPECT_EQ(File("A1F8 A2"), H("A1F8"));
  EXPECT_EQ(File("A3F9 D0 41"), H("A3F9 41"));
  EXPECT_EQ(File("A1A1 A4"), H("A1A1"));
  EXPECT_EQ(File("A1 00 41"), H("A1 00 41"));
  EXPECT_EQ(File("A3 20 20 20 20 41"), H("A3 20 20 41"));
}

TEST(OrlentaFile, NulEndsTheInput) {
  Converted r = Convert(H("41 F8A2 00 42 43"));
  EXPECT_EQ(r.out, H("41 F8A4"));
  EXPECT_TRUE(r.endedAtNul);
  EXPECT_EQ(r.consumed, 4u);
  // Later chunks are ignored.
  r = Convert(H("41 00 42 43"), {1, 1, 1});
  EXPECT_EQ(r.out, "A");
  EXPECT_TRUE(r.endedAtNul);
  EXPECT_EQ(r.consumed, 2u);
  // A NUL as the second byte of a code unit is no end: the unit has no entry
  // and keeps its second byte.
  r = Convert(H("F800 41"));
  EXPECT_EQ(r.out, H("00 41"));
  EXPECT_FALSE(r.endedAtNul);
  EXPECT_EQ(r.consumed, 3u);
}

TEST(OrlentaFile, EndOfFileInsideAPairOrUnit) {
  EXPECT_EQ(File("41 F8"), "A");
  EXPECT_EQ(File("F8A2 F9"), H("F8A4"));
  EXPECT_EQ(File("F9D0 FA"), H("F8C3"));
  EXPECT_EQ(File("41 A1"), H("41 A1"));
  EXPECT_EQ(File("F8A2 A3"), H("F8A4 A3"));
}

TEST(OrlentaFile, SpaceRunsCollapse) {
  EXPECT_EQ(File("41 20 42"), "A B");
  EXPECT_EQ(File("41 2020 42"), "A B");
  EXPECT_EQ(File("41 202020 42"), "A B");
  EXPECT_EQ(File("41 20202020 42"), "A  B");
  EXPECT_EQ(File("41 20202020202020"), "A   ");
  // F8 D0 gives a space inside a word's output, and so does a unit without
  // an entry whose second byte is a space; they collapse with their
  // neighbours.
  EXPECT_EQ(File("41 20 F8D0 20 42"), "A B");
  EXPECT_EQ(File("20 F820 2020 42"), "  B");
  EXPECT_EQ(File("F8D0 F8D0 F8D0 F8D0"), "  ");
  // A run split over many chunks.
  EXPECT_EQ(Convert(H("41 20202020202020 42"), {2, 1, 1, 3, 1}).out, "A   B");
}

TEST(OrlentaFile, ChunkingDoesNotChangeTheResult) {
  std::mt19937 rng(20240611);
  const std::vector<unsigned char> pool = {0xF8, 0xF9, 0xFA, 0xFB, 0xF8, 0xF9, 0xFA, 0xA1, 0xA3, 0xA4, 0xA5,
                                           0x20, 0x20, 0x20, 0x0D, 0x0A, 0x09, 0xD0, 0xD9, 0xD8, 0xA2, 0xAC,
                                           0xE6, 0xC5, 0x41, 0x7E, 0xFF, 0xB9};
  std::uniform_int_distribution<std::size_t> pick(0, pool.size() - 1), len(0, 160), byte(0, 255);
  std::uniform_int_distribution<int> roll(0, 99);
  for (int round = 0; round < 2000; ++round) {
    std::string input;
    const std::size_t n = len(rng);
    for (std::size_t k = 0; k < n; ++k) {
      const int r = roll(rng);
      if (r == 0) input += '\0';
      else if (r < 10) input += static_cast<char>(byte(rng));
      else input += static_cast<char>(pool[pick(rng)]);
    }
    const Converted whole = Convert(input);
    ASSERT_EQ(whole.out, Reference(input)) << "round " << round;
    std::vector<std::size_t> pieces;
    std::uniform_int_distribution<std::size_t> size(1, round % 3 == 0 ? 2 : 9);
    for (std::size_t total = 0; total < n; total += pieces.back()) pieces.push_back(size(rng));
    const Converted chunked = Convert(input, pieces);
    ASSERT_EQ(chunked.out, whole.out) << "round " << round;
    ASSERT_EQ(chunked.endedAtNul, whole.endedAtNul);
    ASSERT_EQ(chunked.consumed, whole.consumed);
    if (whole.endedAtNul) {
      ASSERT_GT(whole.consumed, 0u);
      ASSERT_EQ(input[whole.consumed - 1], '\0');
    } else {
      ASSERT_EQ(whole.consumed, input.size());
    }
  }
}

// Long inputs of words between separators, with now and then a word that
// goes on past an LF or a dropped byte, a few longer than a thousand bytes, or
// runs of spaces: converted whole and in pieces of any size, as the
// reference converts them.
TEST(OrlentaFile, LongInputsMatchTheReferenceInAnyChunking) {
  std::mt19937 rng(1234);
  const std::vector<std::string> separators = {" ", " ", " ", "\r\n", ", ", "  ", "    ", "\n", "\t",
                                               "\xA1\xA4", "\xA3\xA5", "\xA1\xA3", "\xB0\xA1", "\xF8\xD0 "};
  std::uniform_int_distribution<int> lead(0xF8, 0xFB), second(0xA0, 0xFF), units(1, 8), roll(0, 199);
  std::uniform_int_distribution<std::size_t> sep(0, separators.size() - 1);
  for (int round = 0; round < 8; ++round) {
    std::string input;
    while (input.size() < 30000) {
      const int n = roll(rng) == 0 ? (round % 2 ? 700 : 6000) : units(rng);
      for (int k = 0; k < n; ++k) {
        input += static_cast<char>(lead(rng));
        input += static_cast<char>(second(rng));
      }
      input += separators[sep(rng)];
    }
    if (round % 2) input += H("F9D0 00 F8D9");
    SCOPED_TRACE(round);
    const std::string want = Reference(input);
    ASSERT_EQ(Convert(input).out, want);
    std::vector<std::size_t> pieces;
    std::uniform_int_distribution<std::size_t> size(1, round < 4 ? 5000 : 13);
    for (std::size_t total = 0; total < input.size(); total += pieces.back()) pieces.push_back(size(rng));
    ASSERT_EQ(Convert(input, pieces).out, want);
  }
}

TEST(OrlentaFile, ConvertsAFileThroughTheDriver) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("orlenta_file_test_" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(dir);
  const std::string in = (dir / "in.txt").string(), out = (dir / "out.txt").string();
  std::string input;
  for (int k = 0; k < 300000; ++k) input += H("F9D0 F8D9 2020 F8A2 0D0A");
  input += H("00 41");
  std::ofstream(in, std::ios::binary) << input;
  MengkeliFileConverter conv;
  const ConversionResult result = ConvertFile(in, out, conv, nullptr);
  std::ifstream f(out, std::ios::binary);
  const std::string written((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  std::filesystem::remove_all(dir);
  EXPECT_TRUE(result.endedAtNul);
  EXPECT_EQ(result.consumed, input.size() - 1);
  EXPECT_EQ(written, Reference(input));
  EXPECT_EQ(written.size(), 300000u * 7);  // F8C4, one space, F8A4, CR LF
}

}  // namespace
}  // namespace qorvel
