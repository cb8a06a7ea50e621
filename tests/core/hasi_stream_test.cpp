// The streaming converter against a slow reference that reads the input one
// byte at a time, unit by unit, as Kestrum's conversion loop does; and the
// same input fed whole against fed in random pieces.

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "codec/hasi.h"

namespace qorvel {
namespace {

// First bytes 0x20..0x7F, written as GlyphCode values (two codes in one
// value for the two-glyph cells).
constexpr std::uint32_t COPY = 1, PREF = 2, PAIR = 3;
constexpr std::uint32_t kRefGrid[6][16] = {
    /* 2x */ {COPY,   0xF8A2, 0xF8C5, 0xF9A1, 0xF9A2,     0xF8FB, 0xF8FC, 0xF8DCF8E5, COPY,       COPY,   0xF8EF, COPY,   0xF8B2, 0xF8B1, 0xF8A5, 0xF8AB},
    /* 3x */ {COPY,   COPY,   COPY,   COPY,   COPY,       COPY,   COPY,   COPY,       COPY,       COPY,   0xF8A7, 0xF8A9, 0xF8E0, COPY,   0xF8E3, 0xF8AA},
    /* 4x */ {0xF8FD, 0xF8B3, 0xF8C8, 0xF8E6, 0xF8DCF8D7, 0xF8B8, 0xF8BD, 0xF8D9,     0xF8D0,     0xF8D6, 0xF8DC, 0xF8D7, 0xF8E1, 0xF8DE, 0xF8BE, 0xF8B3F8BB},
    /* 5x */ {0xF8CD, 0xF8D2, 0xF8F1, 0xF8E4, 0xF8C7,     0xF8D5, 0xF8D8, 0xF8F4,     0xF8B6F8C0, 0xF8EE, 0xF8B5, 0xF8DB, 0xF8F2, 0xF8CC, 0xF8FE, 0xF8F3},
    /* 6x */ {PREF,   0xF8B4, 0xF8C4, 0xF8EC, 0xF8EB,     0xF8B3, 0xF8C3, 0xF8DA,     0xF8D1,     0xF8B9, 0xF8ED, 0xF8D3, 0xF8E2, 0xF8DF, 0xF8BF, 0xF8BB},
    /* 7x */ {0xF8CB, 0xF8DD, 0xF8F0, 0xF8E5, 0xF8EA,     0xF8D4, 0xF8C9, 0xF8BC,     0xF8B5,     0xF8BA, 0xF8B6, 0xF8CE, 0xF8CA, 0xF8CF, PREF,   PAIR},
};

std::string Codes(std::uint32_t v) {
  std::string s;
  if (v > 0xFFFF) s += Codes(v >> 16);
  s += static_cast<char>((v >> 8) & 0xFF);
  s += static_cast<char>(v & 0xFF);
  return s;
}

// The single-byte rule for b < 0x7F that is not a prefix.
std::string RefAlone(int b) {
  if (b == '\r' || b == '\n') return std::string(1, static_cast<char>(b));
  if (b < 0x20) return "";
  const std::uint32_t cell = kRefGrid[(b >> 4) - 2][b & 15];
  return cell == COPY ? std::string(1, static_cast<char>(b)) : Codes(cell);
}

std::string RefTilde(int f) {
  switch (f) {
    case 'B': return Codes(0xF8F9);
    case 'F': return Codes(0xF8F6);
    case 'T': return Codes(0xF8F8);
    case 'b': return Codes(0xF8F7);
    case 'f': return Codes(0xF8F5);
    case 'v': return Codes(0xF8FA);
    default: return "";  // end of input (-1) included
  }
}

struct RefRun {
  std::string out;
  std::uint64_t counted = 0;
  std::uint64_t consumed = 0;
  bool endedAtNul = false;
};

RefRun Reference(std::string_view in) {
  RefRun r;
  std::size_t pos = 0;
  bool eof = false;
  auto read = [&]() -> int {
    if (pos == in.size()) {
      eof = true;
      return -1;
    }
    return static_cast<unsigned char>(in[pos++]);
  };
  while (!eof) {
    const int b = read();
    if (b == 0) {
      r.endedAtNul = true;
      break;
    }
    std::string unit;
    bool counts = true;
    if (b < 0) {
      // the read that meets the end begins nothing
    } else if (b >= 0x7F) {
      unit += static_cast<char>(b);
      const int t = read();
      if (t >= 0) unit += static_cast<char>(t);  // a lone lead byte is kept
    } else if (b == 0x60) {
      const int f = read();
      if (f == 'C') unit = Codes(0xF8E9);
      else if (f == 'S') unit = Codes(0xF8E7);
      else if (f == 's') unit = Codes(0xF8E8);
      else if (f >= 0x61 && f <= 0x7D) unit = RefAlone(f);
      else if (f == 0x7E) unit = RefTilde(read());
    } else if (b == 0x7E) {
      unit = RefTilde(read());
    } else {
      unit = RefAlone(b);
      counts = std::strchr(" \r\n0123456789.", b) == nullptr;
    }
    r.out += unit;
    if (counts && !unit.empty()) ++r.counted;
  }
  r.consumed = pos;
  return r;
}

// Random input, heavy in the bytes that make units span chunk ends.
std::string RandomInput(std::mt19937& rng, std::size_t maxLen) {
  std::uniform_int_distribution<std::size_t> len(0, maxLen);
  std::uniform_int_distribution<int> roll(0, 99), any(0, 255), printable(0x20, 0x7F), high(0x7F, 0xFF);
  static constexpr char kFollowers[] = "BFTbfvCSsa{|}A1 ";
  std::uniform_int_distribution<std::size_t> follower(0, sizeof kFollowers - 2);
  std::string s(len(rng), '\0');
  for (char& c : s) {
    const int r = roll(rng);
    int b;
    if (r < 15) b = 0x60;
    else if (r < 25) b = 0x7E;
    else if (r < 26) b = 0x00;
    else if (r < 40) b = high(rng);
    else if (r < 47) b = r % 2 ? '\r' : '\n';
    else if (r < 62) b = static_cast<unsigned char>(kFollowers[follower(rng)]);
    else if (r < 90) b = printable(rng);
    else b = any(rng);
    c = static_cast<char>(b);
  }
  return s;
}

struct StreamRun {
  std::string out;
  std::uint64_t counted = 0;
  std::uint64_t consumed = 0;
  bool endedAtNul = false;
};

// Feeds `in` in pieces of 1..maxPiece bytes (the whole input when 0), as a
// file driver does: stop at the first false, then Finish.
StreamRun Stream(std::string_view in, std::mt19937& rng, std::size_t maxPiece) {
  HasiConverter conv;
  StreamRun r;
  std::uniform_int_distribution<std::size_t> piece(1, maxPiece ? maxPiece : 1);
  std::size_t pos = 0;
  bool more = true;
  while (more && pos < in.size()) {
    const std::size_t n = maxPiece ? std::min(piece(rng), in.size() - pos) : in.size();
    more = conv.Feed(in.substr(pos, n), r.out);
    pos += n;
  }
  conv.Finish(r.out);
  r.counted = conv.CountedUnits();
  r.consumed = conv.Consumed();
  r.endedAtNul = !more;
  return r;
}

void ExpectSameAsReference(std::string_view in, const StreamRun& got) {
  const RefRun want = Reference(in);
  ASSERT_EQ(got.out, want.out);
  EXPECT_EQ(got.counted, want.counted);
  EXPECT_EQ(got.consumed, want.consumed);
  EXPECT_EQ(got.endedAtNul, want.endedAtNul);
}

TEST(HasiStream, ReferenceAgreesOnTheListedCases) {
  EXPECT_EQ(Reference("#$").out, "\xF9\xA1\xF9\xA2");
  EXPECT_EQ(Reference("`~B").out, "\xF8\xF9");
  EXPECT_EQ(Reference("`\r\n").out, "\n");
  const RefRun r = Reference("12.5(1)");
  EXPECT_EQ(r.out, "12\xF8\xA5" "5(1)");
  EXPECT_EQ(r.counted, 2u);
}

TEST(HasiStream, EveryTwoAndThreeByteInputMatchesTheReference) {
  std::mt19937 rng(1);
  std::string in(2, '\0');
  for (int a = 0; a < 256; ++a)
    for (int b = 0; b < 256; ++b) {
      in[0] = static_cast<char>(a);
      in[1] = static_cast<char>(b);
      ExpectSameAsReference(in, Stream(in, rng, 1));
    }
  // Three bytes after each prefix and prefix pair.
  for (std::string head : {"`", "~", "`~"})
    for (int f = 0; f < 256; ++f) {
      const std::string three = head + static_cast<char>(f) + 'A';
      ExpectSameAsReference(three, Stream(three, rng, 0));
      ExpectSameAsReference(three, Stream(three, rng, 1));
    }
}

TEST(HasiStream, RandomInputsMatchTheReferenceInAnyChunking) {
  std::mt19937 rng(20240601);
  for (int i = 0; i < 3000; ++i) {
    const std::string in = RandomInput(rng, 200);
    SCOPED_TRACE(i);
    ExpectSameAsReference(in, Stream(in, rng, 0));
    ExpectSameAsReference(in, Stream(in, rng, 1));
    ExpectSameAsReference(in, Stream(in, rng, 7));
    if (HasFatalFailure()) return;
  }
}

// Inputs longer than the converter's internal blocks, so that units are cut
// there as well as at chunk ends.
TEST(HasiStream, LongInputsMatchTheReferenceInAnyChunking) {
  std::mt19937 rng(99);
  for (int i = 0; i < 12; ++i) {
    std::string in = RandomInput(rng, 30000);
    for (char& c : in)
      if (c == '\0') c = '`';  // keep the whole length in play
    if (i % 3 == 0) in += '\0';
    SCOPED_TRACE(i);
    ExpectSameAsReference(in, Stream(in, rng, 0));
    ExpectSameAsReference(in, Stream(in, rng, 5000));
    ExpectSameAsReference(in, Stream(in, rng, 3));
  }
}

}  // namespace
}  // namespace qorvel
