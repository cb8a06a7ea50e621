// The library as another program uses it, through qorvel.h and the shared
// library alone: every code of its list against the references, on random
// inputs in random pieces into random output buffers down to one byte, with
// and without the keep rule, with what it dropped and where its text ended,
// and the one-call form beside; the layout likewise; the Unicode edge; and
// what a caller gets back for its mistakes.

#include <gtest/gtest.h>
#include <qorvel.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "reference/reference.h"
#include "support/same_bytes.h"
#include "support/random_input.h"

namespace qorvel {
namespace {

using testing::AnyBytes;
using testing::RandomInput;
using testing::SameBytes;

// A buffer of exactly `n` bytes, so that a read or write past it shows
// under the sanitizers.
std::unique_ptr<char[]> Exact(std::string_view bytes) {
  auto p = std::make_unique_for_overwrite<char[]>(bytes.size());
  std::copy(bytes.begin(), bytes.end(), p.get());
  return p;
}

struct Streamed {
  std::string out;
  std::uint64_t consumed = 0;
  bool ended = false;
  std::uint64_t dropped = 0;
  std::vector<std::uint64_t> firstDropped;
  int endedAt = -1;
};

Streamed Stream(const char* code, std::string_view in, std::mt19937& rng, std::size_t maxPiece,
                std::size_t maxRoom, bool keep) {
  qorvel_converter* conv = nullptr;
  EXPECT_EQ(qorvel_open_with(code, keep ? QORVEL_KEEP : 0, &conv), QORVEL_OK);
  Streamed got;
  std::uniform_int_distribution<std::size_t> pieceSize(0, maxPiece), roomSize(1, maxRoom);
  std::size_t at = 0;
  int status = QORVEL_OK;
  for (std::size_t piece = 0, pieceAt = 0;;) {
    if (pieceAt == piece) {  // the caller reads its next piece
      if (at == in.size() || status == QORVEL_ENDED) break;
      piece = std::min(pieceSize(rng), in.size() - at);
      pieceAt = 0;
    }
    const auto input = Exact(in.substr(at, piece - pieceAt));
    const std::size_t room = roomSize(rng);
    const auto out = std::make_unique_for_overwrite<char[]>(room);
    std::size_t taken = 0, written = 0;
    status = qorvel_convert(conv, input.get(), piece - pieceAt, &taken, out.get(), room, &written);
    EXPECT_GE(status, 0) << qorvel_status_message(status);
    if (status < 0) break;
    EXPECT_LE(written, room);
    EXPECT_TRUE(status != QORVEL_OK || taken == piece - pieceAt);
    got.out.append(out.get(), written);
    at += taken;
    pieceAt += taken;
    if (status == QORVEL_ENDED) pieceAt = piece;  // nothing after the NUL is read
  }
  got.ended = status == QORVEL_ENDED;
  got.consumed = qorvel_consumed(conv);
  do {
    const std::size_t room = roomSize(rng);
    const auto out = std::make_unique_for_overwrite<char[]>(room);
    std::size_t written = 0;
    status = qorvel_finish(conv, out.get(), room, &written);
    got.out.append(out.get(), written);
  } while (status == QORVEL_OUTPUT_FULL);
  EXPECT_EQ(status, QORVEL_OK);
  got.dropped = qorvel_dropped(conv);
  got.firstDropped.resize(QORVEL_DROPPED_OFFSETS + 1);
  got.firstDropped.resize(qorvel_dropped_offsets(conv, got.firstDropped.data(), got.firstDropped.size()));
  if (std::uint64_t at = 0; qorvel_ended_at(conv, &at)) got.endedAt = static_cast<int>(at);
  qorvel_close(conv);
  return got;
}

// What a one-call function returns: `call(&out, &size)`.
template <class Call>
std::string Whole(Call call) {
  char* out = nullptr;
  std::size_t size = 0;
  const int status = call(&out, &size);
  EXPECT_EQ(status, QORVEL_OK) << qorvel_status_message(status);
  if (status != QORVEL_OK) return {};
  EXPECT_EQ(out[size], '\0');
  std::string s(out, size);
  qorvel_free(out);
  return s;
}

// One code's rounds; on the first difference, stops and says what it was.
void AgainstReference(std::size_t index) {
  const char* code = qorvel_code_name(index);
  SCOPED_TRACE(code);
  std::mt19937 rng(20261208 + static_cast<unsigned>(index));
  const Alphabet alphabet = AlphabetOf(code);
  for (int round = 0; round < 300; ++round) {
    const std::string in = round % 3 ? RandomInput(rng, alphabet, round * 7 % 3000, round % 5 == 0)
                                     : AnyBytes(rng, 300);
    const bool keep = round % 4 == 1;
    const ReferenceResult want = ReferenceRun(code, in, keep);
    const Streamed got = Stream(code, in, rng, round % 2 ? 9 : 5000, round % 4 ? 3 : 70000, keep);
    ASSERT_TRUE(SameBytes(got.out, want.out)) << "input " << testing::Hex(in.substr(0, 64));
    ASSERT_EQ(got.consumed, want.consumed);
    ASSERT_EQ(got.ended, want.endedAtNul);
    ASSERT_EQ(got.dropped, want.dropped.size());
    ASSERT_EQ(got.firstDropped, std::vector<std::uint64_t>(want.dropped.begin(),
                                                           want.dropped.begin() + std::min<std::size_t>(
                                                                                      want.dropped.size(), 5)));
    ASSERT_EQ(got.endedAt, want.endedAtNul ? static_cast<int>(want.consumed - 1) : -1);
    if (keep) continue;
    const auto input = Exact(in);
    const std::string whole = Whole([&](char** out, std::size_t* size) {
      return qorvel_convert_all(code, input.get(), in.size(), out, size);
    });
    ASSERT_TRUE(SameBytes(whole, want.out));
  }
}

// Every code at once, each on a thread of its own: distinct converters may
// run on distinct threads.
TEST(Library, EveryCodeAgainstReferenceInAnyPiecesAndBuffers) {
  ASSERT_GT(qorvel_code_count(), 0u);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < qorvel_code_count(); ++i) threads.emplace_back(AgainstReference, i);
  for (std::thread& t : threads) t.join();
}

TEST(Library, LayoutAgainstReference) {
  std::mt19937 rng(8);
  const Alphabet alphabet = AlphabetOf("mengkeli-paste");
  for (int round = 0; round < 300; ++round) {
    const std::string in = RandomInput(rng, alphabet, round * 13 % 4000, round % 7 == 0);
    const std::uint32_t height =
        round % 10 == 0 ? 0xFFFFFFFF : std::uniform_int_distribution<std::uint32_t>(0, 900)(rng);
    const std::string wrapped = ReferenceWrap(in, height);
    const auto input = Exact(in);
    for (int w : {0, 1}) {
      const std::string got = Whole([&](char** out, std::size_t* size) {
        return qorvel_layout(input.get(), in.size(), height, w, out, size);
      });
      ASSERT_TRUE(SameBytes(got, w ? wrapped : ReferenceWebFormat(wrapped)));
    }
  }
}

std::string ToUtf8(const std::string& bytes) {
  return Whole([&](char** out, std::size_t* size) { return qorvel_to_utf8(bytes.data(), bytes.size(), out, size); });
}
std::string FromUtf8(const std::string& text) {
  return Whole([&](char** out, std::size_t* size) { return qorvel_from_utf8(text.data(), text.size(), out, size); });
}

TEST(Library, UnicodeEdge) {
  // The user-defined area, where the Qorvel glyphs are, round-trips through
  // U+E234...; a bad byte sequence is U+FFFD; what code page 936 lacks, or
  // UTF-8 that is not well formed, is '?'.
  const std::string bytes = "\xF8\xA1\xFE\xFE" "A\xB0\xA1\r\n";
  const std::string text = ToUtf8(bytes);
  EXPECT_EQ(text, "\xEE\x88\xB4\xEE\x93\x85" "A\xE5\x95\x8A\r\n");  // U+E234 U+E4C5 A 啊
  EXPECT_EQ(FromUtf8(text), bytes);
  const std::string bad = "\x81";
  EXPECT_EQ(ToUtf8(bad), "\xEF\xBF\xBD");
  // Beyond the BMP, overlong, a surrogate, cut short.
  const std::string odd = "\xF0\x9F\x98\x80|\xC0\xAF|\xED\xA0\x80|\xE5\x95";
  EXPECT_EQ(FromUtf8(odd), "?|?|?|?");
  // The Mongolian free variation selectors and vowel separator, which code
  // page 936 cannot hold: each one shows as '?', as on Windows.
  EXPECT_EQ(FromUtf8("\xE1\xA0\x8B|\xE1\xA0\x8E|\xE1\xA0\x8F"), "?|?|?");
}

std::string Utf8Of(char32_t c) {
  std::string s;
  if (c < 0x80) return std::string(1, static_cast<char>(c));
  const int n = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
  for (int k = n - 1; k > 0; --k) s.insert(s.begin(), static_cast<char>(0x80 | ((c >> (6 * (n - 1 - k))) & 0x3F)));
  s.insert(s.begin(), static_cast<char>((0xF00 >> n) | (c >> (6 * (n - 1)))));
  return s;
}

// Every Unicode scalar value in one text: a character that some byte
// sequence decodes to gives those bytes back, and every other one exactly
// one '?'. Nothing is dropped, the default-ignorable characters included,
// so that a character that cannot be held shows up as it does on Windows
// and in the web page.
TEST(Library, UnicodeEdgeEveryScalarValue) {
  ASSERT_EQ(Utf8Of(0x10FFFF), "\xF4\x8F\xBF\xBF");
  ASSERT_EQ(Utf8Of(0x800), "\xE0\xA0\x80");
  std::map<std::string, std::string> bytesOf;  // a character in UTF-8 -> the bytes that decode to it
  const auto decodes = [&](const std::string& bytes) {
    const std::string c = ToUtf8(bytes);
    if (c == "\xEF\xBF\xBD") return;  // nothing decodes to it
    EXPECT_TRUE(bytesOf.emplace(c, bytes).second) << "two sequences give one character";
  };
  for (int b = 0; b < 0x100; ++b)
    if (b < 0x81 || b == 0xFF) decodes(std::string(1, static_cast<char>(b)));
  for (int lead = 0x81; lead <= 0xFE; ++lead)
    for (int trail = 0x40; trail <= 0xFE; ++trail)
      if (trail != 0x7F) decodes(std::string{static_cast<char>(lead), static_cast<char>(trail)});
  ASSERT_GT(bytesOf.size(), 21000u);

  std::string text, want;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const std::string u = Utf8Of(c);
    const auto it = bytesOf.find(u);
    text += u;
    want += it != bytesOf.end() ? it->second : "?";
  }
  const std::string got = FromUtf8(text);
  ASSERT_EQ(got.size(), want.size()) << "characters dropped or added";
  EXPECT_TRUE(SameBytes(got, want));
}

TEST(Library, CallerMistakesAreStatusesNotCrashes) {
  qorvel_converter* conv = reinterpret_cast<qorvel_converter*>(1);
  EXPECT_EQ(qorvel_open("no-such-code", &conv), QORVEL_ERROR_UNKNOWN_CODE);
  EXPECT_EQ(conv, nullptr);
  EXPECT_STREQ(qorvel_status_message(QORVEL_ERROR_UNKNOWN_CODE), "unknown code");
  EXPECT_EQ(qorvel_open(nullptr, &conv), QORVEL_ERROR_INVALID_ARGUMENT);
  EXPECT_EQ(qorvel_code_name(qorvel_code_count()), nullptr);
  EXPECT_EQ(qorvel_code_kind(qorvel_code_count()), -1);
  char* out = reinterpret_cast<char*>(1);
  std::size_t size = 1;
  EXPECT_EQ(qorvel_convert_all("no-such-code", "x", 1, &out, &size), QORVEL_ERROR_UNKNOWN_CODE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(qorvel_layout(nullptr, 3, 500, 0, &out, &size), QORVEL_ERROR_INVALID_ARGUMENT);

  // Input after the end needs a reset; the reset converter starts afresh.
  ASSERT_EQ(qorvel_open("hasi", &conv), QORVEL_OK);
  std::size_t taken = 0, written = 0;
  char buffer[64];
  EXPECT_EQ(qorvel_convert(conv, nullptr, 1, &taken, buffer, sizeof buffer, &written),
            QORVEL_ERROR_INVALID_ARGUMENT);
  EXPECT_EQ(qorvel_finish(conv, buffer, sizeof buffer, &written), QORVEL_OK);
  EXPECT_EQ(qorvel_convert(conv, "A", 1, &taken, buffer, sizeof buffer, &written), QORVEL_ERROR_FINISHED);
  EXPECT_EQ(qorvel_reset(conv), QORVEL_OK);
  EXPECT_EQ(qorvel_convert(conv, "A", 1, &taken, buffer, sizeof buffer, &written), QORVEL_OK);
  EXPECT_EQ(qorvel_consumed(conv), 1u);
  qorvel_close(conv);
  qorvel_close(nullptr);
  EXPECT_EQ(qorvel_open_with("hasi", 2, &conv), QORVEL_ERROR_INVALID_ARGUMENT);
  EXPECT_EQ(qorvel_dropped(nullptr), 0u);
  EXPECT_EQ(qorvel_ended_at(nullptr, nullptr), 0);
}

}  // namespace
}  // namespace qorvel
