// Every code of the registry, and the layout, against the slow references:
// random inputs fed whole and in random chunks through the registry's
// converters, as the conversion driver feeds them, give the reference's
// bytes, end at the same NUL, take as much input and drop the same bytes,
// with and without the keep rule.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "codec/hasi.h"
#include "codec/registry.h"
#include "fileio/convert_file.h"
#include "layout/layout.h"
#include "reference/alphabet.h"
#include "reference/reference.h"
#include "support/same_bytes.h"
#include "support/random_input.h"
#include "support/temp_files.h"

namespace qorvel {
namespace {

using testing::AnyBytes;
using testing::Hex;
using testing::RandomInput;
using testing::SameBytes;

using namespace std::string_literals;

// Feeds `in` in pieces of 0..maxPiece bytes (whole when maxPiece is 0),
// each in a buffer of exactly its size so that a read past a chunk's end
// shows under the sanitizers, up to the first false; then finishes. Every
// other piece without a NUL is cut at a fresh start after a random place and
// its halves taken by two converters, as the conversion driver's two
// threads take them.
struct Fed {
  ReferenceResult result;
  Drops drops;
};

Fed Feed(const Codec& codec, std::string_view in, std::mt19937& rng, std::size_t maxPiece, bool keep) {
  const std::unique_ptr<StreamConverter> conv = codec.make({.keep = keep});
  ReferenceResult got;
  std::uniform_int_distribution<std::size_t> pieceSize(0, maxPiece);
  bool more = true;
  for (std::size_t at = 0; more && at < in.size();) {
    const std::size_t n = maxPiece == 0 ? in.size() : std::min(pieceSize(rng), in.size() - at);
    const auto chunk = std::make_unique_for_overwrite<char[]>(n);
    std::copy_n(in.data() + at, n, chunk.get());
    const std::string_view piece(chunk.get(), n);
    const std::size_t cut = n > 0 && piece.find('\0') == std::string_view::npos && rng() % 2
                                ? conv->FreshStart(piece, std::uniform_int_distribution<std::size_t>(0, n - 1)(rng))
                                : std::string_view::npos;
    more = cut == std::string_view::npos ? conv->Feed(piece, got.out) : FeedCut(*conv, piece, cut, got.out);
    at += n;
  }
  conv->Finish(got.out);
  got.consumed = conv->Consumed();
  got.endedAtNul = !more;
  return {got, conv->Dropped()};
}

std::string Show(const Drops& d) {
  std::string s = std::to_string(d.count) + " dropped, first at";
  // Appended piece by piece: GCC 12 for Windows sees a false overlap in " " + ... at -O3.
  for (std::size_t k = 0; k < d.Kept(); ++k) s.append(" ").append(std::to_string(d.first[k]));
  return s;
}

// Bytes that most codes drop, planted among the units: control bytes, the
// GBK characters of a Chinese word, bytes that lead nothing.
std::string PlantDrops(std::mt19937& rng, std::string in) {
  static const std::string planted[] = {"\x01", "\t", "\x1F", "\x7F", "\x80", "\xFF", "\xD6\xD0", "\xB9\xFA",
                                        "\xC8\xCB", "\x81\x41", "\xB0", "~", "`", "`~"};
  for (int k = std::uniform_int_distribution<int>(0, 4)(rng); k > 0; --k)
    in.insert(std::uniform_int_distribution<std::size_t>(0, in.size())(rng),
              planted[std::uniform_int_distribution<std::size_t>(0, std::size(planted) - 1)(rng)]);
  return in;
}

// Fed whole and in the given piece sizes, `in` converts as the reference
// converts it.
void ExpectAsReference(const Codec& codec, std::string_view in, std::mt19937& rng,
                       std::initializer_list<std::size_t> maxPieces) {
  for (const bool keep : {false, true}) {
    const ReferenceResult want = ReferenceRun(codec.name, in, keep);
    for (std::size_t maxPiece : maxPieces) {
      const auto [got, drops] = Feed(codec, in, rng, maxPiece, keep);
      const auto where = [&] {
        return std::string(keep ? "keep, " : "") + "in pieces of up to " + std::to_string(maxPiece) +
               " bytes (0: whole), an input of " + std::to_string(in.size()) + " bytes" +
               (in.size() <= 64 ? ": " + Hex(in) : "");
      };
      ASSERT_TRUE(SameBytes(got.out, want.out)) << where();
      ASSERT_EQ(got.consumed, want.consumed) << where();
      ASSERT_EQ(got.endedAtNul, want.endedAtNul) << where();
      ASSERT_EQ(Show(drops), Show(AsKept(want.dropped))) << where();
    }
  }
}

TEST(CodecsAgainstReference, RandomInputsWholeAndInChunks) {
  for (const Codec& codec : Codecs()) {
    SCOPED_TRACE(codec.name);
    std::mt19937 rng(20261207);
    const Alphabet alphabet = AlphabetOf(codec.name);
    for (int round = 0; round < 1000; ++round) {
      ExpectAsReference(codec, PlantDrops(rng, RandomInput(rng, alphabet, round % 200, round % 4 == 0)), rng,
                        {0, 3, 40});
      ExpectAsReference(codec, AnyBytes(rng, 100), rng, {0, 5});
      if (HasFatalFailure()) return;
    }
    // Longer than the converters' blocks, so that units are cut there too.
    for (int round = 0; round < 4; ++round) {
      ExpectAsReference(codec, PlantDrops(rng, RandomInput(rng, alphabet, 30000, round % 2 == 1)), rng,
                        {0, 13, 5000});
      if (HasFatalFailure()) return;
    }
    // Going on as a converter of another code is refused, not misread.
    if (const auto conv = codec.make(); conv->Fresh()) {
      for (const Codec& other : Codecs()) {
        if (&other != &codec) {
          EXPECT_THROW(conv->Adopt(*other.make()), std::invalid_argument) << other.name;
        }
      }
    }
  }
}

// The desktop programs take their converters by name and kind; a name the
// list lacks, or a code of the other kind, is refused rather than converted.
TEST(CodecRegistry, RequireCodecRefusesMissingNamesAndOtherKinds) {
  for (const Codec& codec : Codecs()) EXPECT_EQ(&RequireCodec(codec.name, codec.kind), &codec);
  EXPECT_THROW(RequireCodec("no-such-code", CodecKind::kFile), std::logic_error);
  EXPECT_THROW(RequireCodec("mengkeli", CodecKind::kPaste), std::logic_error);
  EXPECT_THROW(RequireCodec("wordfont", CodecKind::kFile), std::logic_error);
}

// Files of several chunks through the conversion driver, which cuts chunks
// for its second thread, and without its helper threads (a batch of many
// jobs): as the reference converts them, with and without a NUL late in
// the file.
TEST(CodecsAgainstReference, FilesThroughTheDriver) {
  testing::TempDir dir;
  for (const Codec& codec : Codecs()) {
    SCOPED_TRACE(codec.name);
    std::mt19937 rng(7);
    const Alphabet alphabet = AlphabetOf(codec.name);
    for (const bool nul : {false, true}) {
      std::string in = RandomInput(rng, alphabet, 3 << 20, false);
      if (nul) in[in.size() - 1000] = '\0';
      testing::Spit(dir / "in.txt", in);
      const ReferenceResult want = ReferenceRun(codec.name, in);
      for (const Helpers helpers : {Helpers::kStart, Helpers::kNone}) {
        const std::unique_ptr<StreamConverter> conv = codec.make();
        const ConversionResult got = ConvertFile(dir / "in.txt", dir / "out.txt", *conv, nullptr, LossRule::kWrite, helpers);
        ASSERT_TRUE(SameBytes(testing::Slurp(dir / "out.txt"), want.out))
            << (nul ? "with a NUL" : "") << (helpers == Helpers::kNone ? ", no helper threads" : "");
        ASSERT_EQ(got.consumed, want.consumed);
        ASSERT_EQ(got.endedAtNul, want.endedAtNul);
        ASSERT_EQ(Show(got.dropped), Show(AsKept(want.dropped)));
      }
    }
  }
}

TEST(CodecsAgainstReference, EveryTwoByteInputWholeAndByteByByte) {
  std::mt19937 rng(1);
  for (const Codec& codec : Codecs()) {
    SCOPED_TRACE(codec.name);
    for (int pair = 0; pair < 0x10000; ++pair) {
      const char in[2] = {static_cast<char>(pair >> 8), static_cast<char>(pair & 0xFF)};
      ExpectAsReference(codec, std::string_view(in, 2), rng, {0, 1});
      if (HasFatalFailure()) return;
    }
  }
}

// Sources with the bytes that matter to the layout, a NUL now and then; in
// long sources few line ends, so that hard lines are longer than the
// streamed web format's spans.
std::string RandomSource(std::mt19937& rng, bool longLines) {
  static const std::string alphabet = " \r\n\0AB\xF8\xA2\xB0\x81\xFE\xFF\x80"s;
  std::uniform_int_distribution<std::size_t> size(0, longLines ? 30000 : 200), pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<int> roll(0, 999);
  std::string s;
  for (std::size_t k = size(rng); k > 0; --k) {
    char c = alphabet[pick(rng)];
    if (c == '\0' && roll(rng) >= (longLines ? 1 : 30)) c = ' ';
    if ((c == '\r' || c == '\n') && longLines && roll(rng) != 0) c = 'A';
    s += c;
  }
  return s;
}

// The wrapped text ends with CR LF and holds CR and LF only as CR LF and no
// NUL; the web format is as long; every other byte of the source (up to its
// first NUL) is kept in order.
void ExpectLayoutInvariants(std::string_view source, const Layout& l) {
  const std::string& w = l.wrapped;
  ASSERT_TRUE(w.ends_with("\r\n"));
  ASSERT_EQ(w.find('\0'), std::string::npos);
  for (std::size_t k = 0; k < w.size(); ++k) {
    if (w[k] == '\n') {
      ASSERT_TRUE(k > 0 && w[k - 1] == '\r');
    }
    if (w[k] == '\r') {
      ASSERT_TRUE(k + 1 < w.size() && w[k + 1] == '\n');
    }
  }
  ASSERT_EQ(l.web.size(), w.size());
  std::string kept, text;
  for (char c : w)
    if (c != '\r' && c != '\n') kept += c;
  for (char c : source.substr(0, source.find('\0')))
    if (c != '\r' && c != '\n') text += c;
  ASSERT_EQ(kept, text);
}

// Collects what WriteLayout writes, and checks that only the last block is
// shorter than a block.
struct BlockRecorder final : ByteSink {
  explicit BlockRecorder(std::size_t blockSize) : blockSize(blockSize) {}
  void Write(std::string_view bytes) override {
    EXPECT_GE(lastSize, blockSize) << "a short block before the last";
    EXPECT_FALSE(bytes.empty());
    text.append(bytes);
    lastSize = bytes.size();
  }
  std::size_t blockSize;
  std::size_t lastSize = SIZE_MAX;
  std::string text;
};

std::string Streamed(std::string_view source, std::uint32_t lineHeight, LayoutText which, std::size_t blockSize) {
  BlockRecorder sink(blockSize);
  WriteLayout(source, lineHeight, which, sink, blockSize);
  return sink.text;
}

TEST(LayoutAgainstReference, RandomSourcesWrapAndWebFormat) {
  std::mt19937 rng(20261207);
  const std::uint32_t heights[] = {0, 8, 16, 40, 100, 500, 0xFFFFFFFFu};
  const SystemFontCells cells;
  std::uniform_int_distribution<std::size_t> smallBlock(1, 64);
  for (int round = 0; round < 3000; ++round) {
    // Every 20th source long: hard lines of thousands of bytes with many
    // lines each, so that the streamed web format walks them span by span.
    const std::string source = RandomSource(rng, round % 20 == 0);
    const std::uint32_t lineHeight = heights[static_cast<std::size_t>(round) % std::size(heights)];
    SCOPED_TRACE("round " + std::to_string(round) + ", line height " + std::to_string(lineHeight));
    const std::string wrapped = ReferenceWrap(source, lineHeight);
    const Layout l = LayOut(source, lineHeight);
    ASSERT_TRUE(SameBytes(l.wrapped, wrapped));
    const std::string web = ReferenceWebFormat(wrapped);
    ASSERT_TRUE(SameBytes(l.web, web));
    // Streamed in blocks of a few bytes (pieces cut at block ends, long
    // pieces handed over whole) and of the usual size.
    for (const std::size_t blockSize : {smallBlock(rng), kLayoutBlock}) {
      SCOPED_TRACE("blocks of " + std::to_string(blockSize));
      ASSERT_TRUE(SameBytes(Streamed(source, lineHeight, LayoutText::kWeb, blockSize), web));
      ASSERT_TRUE(SameBytes(Streamed(source, lineHeight, LayoutText::kWrapped, blockSize), wrapped));
    }
    // Any other measurer is asked at every space, as the reference asks.
    ASSERT_TRUE(SameBytes(WrapText(source, lineHeight, &cells), wrapped));
    // The web format of any text, also one that no wrapping gave.
    ASSERT_TRUE(SameBytes(WebFormat(source), ReferenceWebFormat(source)));
    ExpectLayoutInvariants(source, l);
  }
}

}  // namespace
}  // namespace qorvel
