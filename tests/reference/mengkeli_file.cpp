// Orlenta's conversion as its two passes describe it, over the whole input at
// once: the read pass takes one byte at a time (with an end-of-file value),
// gathers code units into a word and converts each word at its end, building
// the whole converted text; the write pass then writes it with runs of
// spaces collapsed. Two choices at the end of the file: a lead byte read
// last is dropped, and an 0xA1 or 0xA3 read last is written alone.

#include <algorithm>

#include "codec/mengkeli_table.h"
#include "reference/reference.h"

namespace qorvel {

ReferenceResult ReferenceMengkeliFile(std::string_view in, bool keep) {
  constexpr int kEof = -1;
  ReferenceResult r;
  std::size_t pos = 0;
  bool eof = false;
  const auto get = [&]() -> int {
    if (pos < in.size()) return static_cast<unsigned char>(in[pos++]);
    eof = true;
    return kEof;
  };
  std::string converted, word;
  std::vector<std::size_t> wordAt;  // the input offset of each byte of `word`
  const auto flush = [&] {
    DroppedOffsets inWord;
    converted += ReferenceUnitScan(MengkeliUnitTable(), word, &inWord);
    for (std::uint64_t k : inWord) r.dropped.push_back(wordAt[k]);
    word.clear();
    wordAt.clear();
  };
  for (;;) {
    const int b = get();
    if (b >= 0x21 && b <= 0x7D) {
      flush();
      converted += static_cast<char>(b);
    } else if (b == 0x00) {
      r.endedAtNul = true;
      break;
    } else if (b == 0x20 || b == 0x0D) {
      flush();
      converted += static_cast<char>(b);
    } else if (b == 0x0A) {
      converted += '\n';  // the word goes on
    } else if (b == 0xA1 || b == 0xA3) {
      flush();
      const int c = get();
      if (b == 0xA1 && c == 0xA4) {
        converted += "\xF8\xA3";
      } else if (b == 0xA3 && c == 0xA5) {
        converted += "\xF8\xAE";
      } else {
        converted += static_cast<char>(b);
        if (c != kEof) converted += static_cast<char>(c);
      }
    } else if (b >= 0xF8 && b <= 0xFB) {
      const int c = get();
      if (c != kEof) {
        word += static_cast<char>(b);
        word += static_cast<char>(c);
        wordAt.push_back(pos - 2);
        wordAt.push_back(pos - 1);
      } else {
        r.dropped.push_back(pos - 1);
      }
    } else if (b != kEof) {
      // Any other byte is dropped and does not end the word, unless the keep
      // rule copies it (and ends the word, as any copied byte does).
      const auto u = static_cast<unsigned char>(b);
      if (keep && KeptAlone(u)) {
        flush();
        converted += static_cast<char>(b);
      } else if (keep && KeptLead(u) && pos < in.size() && KeptTrail(static_cast<unsigned char>(in[pos]))) {
        flush();
        converted += static_cast<char>(b);
        converted += static_cast<char>(get());
      } else {
        r.dropped.push_back(pos - 1);
      }
    }
    if (eof) break;
  }
  flush();
  std::sort(r.dropped.begin(), r.dropped.end());
  r.consumed = pos;

  // The write pass: at two spaces in a row skip one, and one more if a third
  // follows, so that each group of up to three spaces becomes one.
  const std::size_t n = converted.size();
  const auto space = [&](std::size_t k) { return k < n && converted[k] == ' '; };
  for (std::size_t i = 0; i < n; ++i) {
    if (space(i) && space(i + 1)) {
      ++i;
      if (space(i + 1)) ++i;
    }
    r.out += converted[i];
  }
  return r;
}

}  // namespace qorvel
