#include "codec/mengkeli_file.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>

#include "codec/mengkeli_table.h"
#include "codec/mengkeli_word.h"

namespace qorvel {
namespace {

// What the read pass does with a byte outside a code unit.
enum class ByteClass : std::uint8_t {
  kDrop,  // nothing appended, the word goes on
  kCopy,  // ends the word, copied (printable ASCII but '~', space, CR)
  kLF,    // copied, the word goes on
  kNul,   // ends the input
  kA1,    // ends the word, starts a pair
  kA3,    // ends the word, starts a pair
  kLead,  // starts a code unit of the word
  kKeptLead,  // keep rule: ends the word; copied with a GBK second byte after it, else dropped
};

}  // namespace

struct MengkeliByteClasses {
  std::array<ByteClass, 256> of{};
};

namespace {

constexpr MengkeliByteClasses MakeByteClasses(bool keep) {
  MengkeliByteClasses c;
  for (int b = 0x20; b <= 0x7D; ++b) c.of[static_cast<std::size_t>(b)] = ByteClass::kCopy;
  c.of[0x0D] = ByteClass::kCopy;
  c.of[0x0A] = ByteClass::kLF;
  c.of[0x00] = ByteClass::kNul;
  c.of[0xA1] = ByteClass::kA1;
  c.of[0xA3] = ByteClass::kA3;
  for (int b = 0xF8; b <= 0xFB; ++b) c.of[static_cast<std::size_t>(b)] = ByteClass::kLead;
  if (keep) {
    for (int b = 0; b < 256; ++b) {
      const auto u = static_cast<unsigned char>(b);
      ByteClass& k = c.of[u];
      if (k != ByteClass::kDrop) continue;
      if (KeptAlone(u)) k = ByteClass::kCopy;
      else if (KeptLead(u)) k = ByteClass::kKeptLead;
    }
  }
  return c;
}
constexpr MengkeliByteClasses kByteClasses = MakeByteClasses(false);
constexpr MengkeliByteClasses kKeepByteClasses = MakeByteClasses(true);

// The pair that an 0xA1 or 0xA3 byte starts, with its second byte `c`: A1 A4
// (middle dot) and A3 A5 (percent sign) become glyphs; any other pair is
// copied as it stands. Two bytes either way.
void PutPair(unsigned char first, unsigned char c, char*& o) {
  if (first == 0xA1 && c == 0xA4) {
    std::memcpy(o, "\xF8\xA3", 2);
  } else if (first == 0xA3 && c == 0xA5) {
    std::memcpy(o, "\xF8\xAE", 2);
  } else {
    o[0] = static_cast<char>(first);
    o[1] = static_cast<char>(c);
  }
  o += 2;
}

// The read pass goes through a chunk in blocks of input; a block's output
// collects in a buffer (block_) and then goes through the write pass. A
// word that starts in a block is converted with it when it is at most
// kMaxRun bytes long (longer ones are gathered as pending words).
constexpr std::size_t kBlock = 4096;
constexpr std::size_t kMaxRun = 1024;
constexpr std::size_t kRoundOut = kUnitOutPerByte * (kBlock + kMaxRun + 8) + 8;
constexpr std::size_t kBufferSize = kRoundOut + 1024;

// The first of two spaces in a row in [p, end), or end.
const char* FindSpacePair(const char* p, const char* end) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHigh = 0x8080808080808080u;
  while (end - p > 8) {
    std::uint64_t here, next;
    std::memcpy(&here, p, 8);
    std::memcpy(&next, p + 1, 8);
    // A zero byte where this byte and the next are both spaces; the lowest
    // marked byte is a true one.
    const std::uint64_t v = (here ^ (kOnes * ' ')) | (next ^ (kOnes * ' '));
    const std::uint64_t marks = (v - kOnes) & ~v & kHigh;
    if (marks) return p + std::countr_zero(marks) / 8;
    p += 8;
  }
  for (; end - p > 1; ++p)
    if (p[0] == ' ' && p[1] == ' ') return p;
  return end;
}

}  // namespace

MengkeliFileConverter::MengkeliFileConverter(ConvertOptions options)
    : options_(options), classes_(options.keep ? &kKeepByteClasses : &kByteClasses) {}

void MengkeliFileConverter::AddToWord(const unsigned char* bytes, std::size_t n, std::uint64_t at) {
  if (carried_.word.empty() || carried_.wordEnd != at) carried_.places.push_back({carried_.word.size(), at});
  carried_.word.append(reinterpret_cast<const char*>(bytes), n);
  carried_.wordEnd = at + n;
}

void MengkeliFileConverter::ConvertPlacedWord(std::string_view word, const std::vector<WordPlace>& places) {
  wordOut_.clear();
  Drops& all = carried_.drops;
  if (all.count >= Drops::kKeptOffsets && places.front().at >= all.first[Drops::kKeptOffsets - 1]) {
    // The first five are known and come before the word: its drops only
    // count (a tally over `all` notes no offset then).
    ConvertMengkeliWord(word, wordOut_, {all, places.front().at});
    return;
  }
  Drops inWord;
  ConvertMengkeliWord(word, wordOut_, {inWord, 0});
  if (inWord.count == 0) return;
  // A place's units run on in the input until the next place.
  all.AddMapped(inWord, [&](std::uint64_t k) {
    const auto place = std::prev(std::upper_bound(places.begin(), places.end(), k,
                                                  [](std::uint64_t v, const WordPlace& p) { return v < p.inWord; }));
    return place->at + (k - place->inWord);
  });
}

void MengkeliFileConverter::Emit(std::string_view bytes, std::string& out) {
  const char* p = bytes.data();
  const char* const end = p + bytes.size();
  while (p < end) {
    if (carried_.spaceRun == 0) {
      // Everything up to the second space of a run is written as it stands.
      const char* pair = FindSpacePair(p, end);
      if (pair == end) {
        out.append(p, static_cast<std::size_t>(end - p));
        carried_.spaceRun = end[-1] == ' ' ? 1 : 0;
        return;
      }
      out.append(p, static_cast<std::size_t>(pair + 1 - p));
      p = pair + 1;
      carried_.spaceRun = 1;
    }
    // Inside a run: one space is written for each group of up to three,
    // counted from the start of the run.
    for (; p < end && *p == ' '; ++p) {
      if (carried_.spaceRun == 0) out.push_back(' ');
      carried_.spaceRun = (carried_.spaceRun + 1) % 3;
    }
    if (p < end) carried_.spaceRun = 0;
  }
}

void MengkeliFileConverter::FlushWord(char* buf, char*& o, std::string& out) {
  Emit(std::string_view(buf, static_cast<std::size_t>(o - buf)), out);
  o = buf;
  if (carried_.word.empty()) {
    carried_.places.clear();
    return;
  }
  ConvertPlacedWord(carried_.word, carried_.places);
  carried_.word.clear();
  carried_.places.clear();
  Emit(wordOut_, out);
}

// Nothing is pending here, and every unit that starts before `inside` has
// its following unit inside the chunk. A word whose end is in sight (a byte
// that ends words follows it) is converted where it stands: the unit scan
// joins nothing across that byte, as a word ends there. Stops at the first
// byte at or past `stop`, at a NUL, and at a word that goes on past an LF or
// a dropped byte, past `inside` or past kMaxRun bytes: that word is left to
// Step.
template <bool kNoting>
std::size_t MengkeliFileConverter::ScanWords(const unsigned char* s, std::size_t i, std::size_t stop,
                                             std::size_t inside, char*& out) {
  const UnitTable& table = MengkeliUnitTable();
  const std::array<ByteClass, 256>& classOf = classes_->of;
  // Offsets count from the start of the input; s[0] is at `consumed`.
  const DropLog log{carried_.drops, carried_.consumed};
  DropTally tally(log);
  std::size_t lookAheads = 0;  // not used here: words are short
  // Whether s[k] (before `inside`) is dropped: a kept lead byte without a
  // second byte is dropped like any other and does not end the word.
  const auto dropped = [&](std::size_t k) {
    return classOf[s[k]] == ByteClass::kDrop || (classOf[s[k]] == ByteClass::kKeptLead && !KeptTrail(s[k + 1]));
  };
  char* o = out;  // a local cursor stays in a register
  while (i < stop) {
    switch (classOf[s[i]]) {
      case ByteClass::kLead: {
        const std::size_t wordStart = i;
        char* const wordOut = o;
        const std::size_t runStop = std::min(inside, i + kMaxRun);
        // Nothing pending is noted at or after wordStart, so what the scan
        // below tallies comes last and can be taken back.
        const DropTally::Mark before = tally.Here();
        int lead = table.leadIndex[s[i]];
        do {
          i = TakeUnit<Followers::kOfLookAheadUnits, kNoting>(table, lead, s, i, o, lookAheads, tally);
        } while (i < runStop && (lead = table.leadIndex[s[i]]) >= 0);
        if (i < runStop && classOf[s[i]] != ByteClass::kLF && !dropped(i)) break;
        // The word goes on past a line feed or a dropped byte, and its units
        // may join across them: gather the units, write the line feeds, then
        // the word's conversion.
        tally.Back(before);
        i = wordStart;
        o = wordOut;
        std::size_t units = 0;
        std::size_t unitEnd = i;
        gatheredPlaces_.clear();
        for (ByteClass c; i < runStop && (c = classOf[s[i]]) != ByteClass::kCopy && c != ByteClass::kA1 &&
                          c != ByteClass::kA3 && c != ByteClass::kNul && (c != ByteClass::kKeptLead || dropped(i));) {
          if (c == ByteClass::kLead) {
            if (units == 0 || i != unitEnd) gatheredPlaces_.push_back({units, log.base + i});
            gathered_[units++] = static_cast<char>(s[i]);
            gathered_[units++] = static_cast<char>(s[i + 1]);
            i += 2;
            unitEnd = i;
          } else {
            if (c == ByteClass::kLF) *o++ = '\n';
            else tally.Add<kNoting>(i, 1);  // taken back with the rest if the word goes on
            ++i;
          }
        }
        if (i >= runStop) {  // the word's end is not in sight
          out = wordOut;
          tally.Back(before);
          tally.Flush();
          return wordStart;
        }
        // The word's units go into the Drops straight, before the bytes
        // between them may be: the tally starts again after them.
        tally.Flush();
        ConvertPlacedWord(std::string_view(gathered_.get(), units), gatheredPlaces_);
        tally = DropTally(log);
        std::memcpy(o, wordOut_.data(), wordOut_.size());
        o += wordOut_.size();
        break;
      }
      case ByteClass::kCopy:
        *o++ = static_cast<char>(s[i++]);
        break;
      case ByteClass::kLF:
        *o++ = '\n';
        ++i;
        break;
      case ByteClass::kDrop:
        tally.Add<kNoting>(i, 1);
        ++i;
        break;
      case ByteClass::kKeptLead:
        // A byte follows inside the chunk: `stop` is at most `inside`.
        if (KeptTrail(s[i + 1])) {
          o[0] = static_cast<char>(s[i]);
          o[1] = static_cast<char>(s[i + 1]);
          o += 2;
          i += 2;
        } else {
          tally.Add<kNoting>(i, 1);
          ++i;
        }
        break;
      case ByteClass::kA1:
      case ByteClass::kA3:
        PutPair(s[i], s[i + 1], o);
        i += 2;
        break;
      case ByteClass::kNul:
        carried_.ended = true;
        out = o;
        tally.Flush();
        return i + 1;
    }
  }
  out = o;
  tally.Flush();
  return i;
}

std::size_t MengkeliFileConverter::Step(const unsigned char* s, std::size_t i, std::size_t n, char* buf,
                                        char*& o, std::string& out) {
  const unsigned char b = s[i];
  const std::uint64_t at = carried_.consumed + i;
  switch (carried_.state) {
    case State::kUnitSecond:  // the unit's second byte, whatever its value
      carried_.word.push_back(static_cast<char>(b));
      carried_.wordEnd = at + 1;
      carried_.state = State::kByte;
      return i + 1;
    case State::kAfterA1:
    case State::kAfterA3:
      PutPair(carried_.state == State::kAfterA1 ? 0xA1 : 0xA3, b, o);
      carried_.state = State::kByte;
      return i + 1;
    case State::kAfterKeptLead:
      carried_.state = State::kByte;
      if (KeptTrail(b)) {
        FlushWord(buf, o, out);
        o[0] = static_cast<char>(carried_.keptLead);
        o[1] = static_cast<char>(b);
        o += 2;
        return i + 1;
      }
      carried_.drops.Note(at - 1);
      break;  // this byte goes on by itself
    case State::kByte:
      break;
  }
  switch (classes_->of[b]) {
    case ByteClass::kKeptLead:
      if (i + 1 < n && KeptTrail(s[i + 1])) {
        FlushWord(buf, o, out);
        o[0] = static_cast<char>(b);
        o[1] = static_cast<char>(s[i + 1]);
        o += 2;
        return i + 2;
      }
      if (i + 1 < n) {
        carried_.drops.Note(at);
        break;
      }
      carried_.keptLead = b;  // kept if the next chunk brings its second byte
      carried_.state = State::kAfterKeptLead;
      break;
    case ByteClass::kCopy:
      FlushWord(buf, o, out);
      *o++ = static_cast<char>(b);
      break;
    case ByteClass::kLF:
      *o++ = '\n';  // ahead of the pending word's conversion
      break;
    case ByteClass::kNul:
      carried_.ended = true;  // the pending word is converted by Finish
      break;
    case ByteClass::kA1:
    case ByteClass::kA3:
      FlushWord(buf, o, out);
      carried_.state = b == 0xA1 ? State::kAfterA1 : State::kAfterA3;
      break;
    case ByteClass::kLead:
      if (i + 1 == n) {
        AddToWord(s + i, 1, at);
        carried_.state = State::kUnitSecond;
        break;
      }
      AddToWord(s + i, 2, at);
      return i + 2;
    case ByteClass::kDrop:
      carried_.drops.Note(at);
      break;
  }
  return i + 1;
}

bool MengkeliFileConverter::Feed(std::string_view chunk, std::string& out) {
  if (carried_.ended) return false;
  const auto* s = reinterpret_cast<const unsigned char*>(chunk.data());
  const std::size_t n = chunk.size();
  // Units that start before `inside` have their following unit in the chunk.
  const std::size_t span = MengkeliUnitTable().span;
  const std::size_t inside = n >= span ? n - span + 1 : 0;
  if (!block_) {
    block_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
    gathered_ = std::make_unique_for_overwrite<char[]>(kMaxRun + 1);
  }
  char* const buf = block_.get();
  char* o = buf;
  std::size_t i = 0;
  while (i < n && !carried_.ended) {
    if (static_cast<std::size_t>(buf + kBufferSize - o) < kRoundOut) {
      Emit(std::string_view(buf, static_cast<std::size_t>(o - buf)), out);
      o = buf;
    }
    if (carried_.state == State::kByte && carried_.word.empty() && i < inside) {
      const std::size_t stop = std::min(inside, i + kBlock);
      i = carried_.drops.count < Drops::kKeptOffsets ? ScanWords<true>(s, i, stop, inside, o)
                                                      : ScanWords<false>(s, i, stop, inside, o);
      if (i >= stop || carried_.ended) continue;
    }
    i = Step(s, i, n, buf, o, out);
  }
  Emit(std::string_view(buf, static_cast<std::size_t>(o - buf)), out);
  carried_.consumed += i;
  return !carried_.ended;
}

std::size_t MengkeliFileConverter::FreshStart(std::string_view chunk, std::size_t from) const {
  const auto* s = reinterpret_cast<const unsigned char*>(chunk.data());
  for (std::size_t j = std::max<std::size_t>(from, 1); j < chunk.size(); ++j) {
    if (classes_->of[s[j]] != ByteClass::kCopy || s[j] == ' ') continue;
    // The byte before is a second byte, or a byte that leaves nothing open.
    const ByteClass before = classes_->of[s[j - 1]];
    if (before != ByteClass::kLead && before != ByteClass::kA1 && before != ByteClass::kA3 &&
        before != ByteClass::kNul && before != ByteClass::kKeptLead)
      return j + 1;
  }
  return std::string_view::npos;
}

void MengkeliFileConverter::Adopt(StreamConverter& later) {
  AdoptCarried(carried_, later, &MengkeliFileConverter::carried_);
}

void MengkeliFileConverter::Finish(std::string& out) {
  char buf[8];
  char* o = buf;
  switch (carried_.state) {
    case State::kAfterA1:
      *o++ = '\xA1';
      break;
    case State::kAfterA3:
      *o++ = '\xA3';
      break;
    case State::kUnitSecond:
      carried_.word.pop_back();  // a lead byte with no second byte
      carried_.drops.Note(carried_.consumed - 1);
      break;
    case State::kAfterKeptLead:
      carried_.drops.Note(carried_.consumed - 1);
      break;
    case State::kByte:
      break;
  }
  carried_.state = State::kByte;
  FlushWord(buf, o, out);
}

}  // namespace qorvel
