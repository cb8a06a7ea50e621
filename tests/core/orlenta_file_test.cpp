#include "codec/mengkeli_file.h"

#include <gtest/gtest.h>

#include "support/hex.h"

#include <string>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "fileio/convert_file.h"
#include "reference/reference.h"

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
  f.close();  // Windows removes no open file
  std::filesystem::remove_all(dir);
  EXPECT_TRUE(result.endedAtNul);
  EXPECT_EQ(result.consumed, input.size() - 1);
  EXPECT_EQ(written, ReferenceConvert("mengkeli", input));
  EXPECT_EQ(written.size(), 300000u * 7);  // F8C4, one space, F8A4, CR LF
}

}  // namespace
}  // namespace qorvel
