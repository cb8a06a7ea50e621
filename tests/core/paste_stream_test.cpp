#include "codec/paste_stream.h"

#include <gtest/gtest.h>

#include <random>

namespace qorvel {
namespace {

// A toy code: 'x' followed by a byte and, when the byte after that is 'j',
// a joined third byte; every other byte passes through.
std::size_t ToyScan(std::string_view text, bool last, std::string& out, DropLog) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] != 'x') {
      out += text[i++];
      continue;
    }
    if (!last && i + 3 > text.size()) break;  // needs the unit and the one after
    const char second = i + 1 < text.size() ? text[i + 1] : '?';
    if (i + 2 < text.size() && text[i + 2] == 'j') {
      out += '<';
      out += second;
      out += '>';
      i += 3;
    } else {
      out += '[';
      out += second;
      out += ']';
      i += 2;
    }
  }
  return std::min(i, text.size());
}

std::string Whole(std::string_view text) {
  std::string out;
  Drops drops;
  ToyScan(text.substr(0, text.find('\0')), true, out, {drops, 0});
  return out;
}

TEST(PasteStream, AnyChunkingGivesTheWholeTextsBytes) {
  std::mt19937 rng(11);
  const std::string alphabet = std::string("xjab\0", 5);
  std::uniform_int_distribution<int> len(0, 60), pick(0, 4), cut(0, 5), nul(0, 9);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const int n = len(rng);
    for (int k = 0; k < n; ++k) {
      char c = alphabet[static_cast<std::size_t>(pick(rng))];
      if (c == '\0' && nul(rng)) c = 'x';
      text += c;
    }
    PasteStream stream(&ToyScan);
    std::string out;
    std::size_t at = 0;
    bool more = true;
    while (more && at < text.size()) {
      const std::size_t size = std::min<std::size_t>(static_cast<std::size_t>(cut(rng)), text.size() - at);
      more = stream.Feed(std::string_view(text).substr(at, size), out);
      at += size;
    }
    stream.Finish(out);
    ASSERT_EQ(out, Whole(text)) << "round " << round;
    const std::size_t nulAt = text.find('\0');
    ASSERT_EQ(stream.Consumed(), nulAt == std::string::npos ? text.size() : nulAt + 1);
  }
}

TEST(PasteStream, StopsReadingAtTheNul) {
  PasteStream stream(&ToyScan);
  std::string out;
  EXPECT_TRUE(stream.Feed("ax", out));
  EXPECT_TRUE(stream.Feed(std::string_view(), out));  // no bytes (and no pointer) is no change
  EXPECT_FALSE(stream.Feed(std::string_view("b\0xq", 4), out));
  EXPECT_FALSE(stream.Feed("more", out));
  stream.Finish(out);
  EXPECT_EQ(out, "a[b]");
  EXPECT_EQ(stream.Consumed(), 4u);
}

}  // namespace
}  // namespace qorvel
