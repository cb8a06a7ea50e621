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
};

constexpr std::array<ByteClass, 256> MakeByteClasses() {
  std::array<ByteClass, 256> c{};
  for (int b = 0x20; b <= 0x7D; ++b) c[static_cast<std::size_t>(b)] = ByteClass::kCopy;
  c[0x0D] = ByteClass::kCopy;
  c[0x0A] = ByteClass::kLF;
  c[0x00] = ByteClass::kNul;
  c[0xA1] = ByteClass::kA1;
  c[0xA3] = ByteClass::kA3;
  for (int b = 0xF8; b <= 0xFB; ++b) c[static_cast<std::size_t>(b)] = ByteClass::kLead;
  return c;
}
constexpr std::array<ByteClass, 256> kByteClass = MakeByteClasses();

ByteClass ClassOf(unsigned char b) { return kByteClass[b]; }

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
  if (carried_.word.empty()) return;
  wordOut_.clear();
  ConvertMengkeliWord(carried_.word, wordOut_);
  carried_.word.clear();
  Emit(wordOut_, out);
}

// Nothing is pending here, and every unit that starts before `inside` has
// its following unit inside the chunk. A word whose end is in sight (a byte
// that ends words follows it) is converted where it stands: the unit scan
// joins nothing across that byte, as a word ends there. Stops at the first
// byte at or past `stop`, at a NUL, and at a word that goes on past an LF or
// a dropped byte, past `inside` or past kMaxRun bytes: that word is left to
// Step.
std::size_t MengkeliFileConverter::ScanWords(const unsigned char* s, std::size_t i, std::size_t stop,
                                             std::size_t inside, char*& out) {
  const UnitTable& table = MengkeliUnitTable();
  std::size_t lookAheads = 0;  // not used here: words are short
  char* o = out;  // a local cursor stays in a register
  while (i < stop) {
    switch (ClassOf(s[i])) {
      case ByteClass::kLead: {
        const std::size_t wordStart = i;
        char* const wordOut = o;
        const std::size_t runStop = std::min(inside, i + kMaxRun);
        int lead = table.leadIndex[s[i]];
        do {
          i = TakeUnit(table, lead, s, i, o, lookAheads);
        } while (i < runStop && (lead = table.leadIndex[s[i]]) >= 0);
        if (i < runStop && ClassOf(s[i]) != ByteClass::kLF && ClassOf(s[i]) != ByteClass::kDrop) break;
        // The word goes on past a line feed or a dropped byte, and its units
        // may join across them: gather the units, write the line feeds, then
        // the word's conversion.
        i = wordStart;
        o = wordOut;
        std::size_t units = 0;
        for (ByteClass c; i < runStop && (c = ClassOf(s[i])) != ByteClass::kCopy && c != ByteClass::kA1 &&
                          c != ByteClass::kA3 && c != ByteClass::kNul;) {
          if (c == ByteClass::kLead) {
            gathered_[units++] = static_cast<char>(s[i]);
            gathered_[units++] = static_cast<char>(s[i + 1]);
            i += 2;
          } else {
            if (c == ByteClass::kLF) *o++ = '\n';
            ++i;
          }
        }
        if (i >= runStop) {  // the word's end is not in sight
          out = wordOut;
          return wordStart;
        }
        wordOut_.clear();
        ConvertMengkeliWord(std::string_view(gathered_.get(), units), wordOut_);
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
        ++i;
        break;
      case ByteClass::kA1:
      case ByteClass::kA3:
        PutPair(s[i], s[i + 1], o);
        i += 2;
        break;
      case ByteClass::kNul:
        carried_.ended = true;
        out = o;
        return i + 1;
    }
  }
  out = o;
  return i;
}

std::size_t MengkeliFileConverter::Step(const unsigned char* s, std::size_t i, std::size_t n, char* buf,
                                        char*& o, std::string& out) {
  const unsigned char b = s[i];
  switch (carried_.state) {
    case State::kUnitSecond:  // the unit's second byte, whatever its value
      carried_.word.push_back(static_cast<char>(b));
      carried_.state = State::kByte;
      return i + 1;
    case State::kAfterA1:
    case State::kAfterA3:
      PutPair(carried_.state == State::kAfterA1 ? 0xA1 : 0xA3, b, o);
      carried_.state = State::kByte;
      return i + 1;
    case State::kByte:
      break;
  }
  switch (ClassOf(b)) {
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
      carried_.word.push_back(static_cast<char>(b));
      if (i + 1 == n) {
        carried_.state = State::kUnitSecond;
        break;
      }
      carried_.word.push_back(static_cast<char>(s[i + 1]));
      return i + 2;
    case ByteClass::kDrop:
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
      i = ScanWords(s, i, stop, inside, o);
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
    if (ClassOf(s[j]) != ByteClass::kCopy || s[j] == ' ') continue;
    // The byte before is a second byte, or a byte that leaves nothing open.
    const ByteClass before = ClassOf(s[j - 1]);
    if (before != ByteClass::kLead && before != ByteClass::kA1 && before != ByteClass::kA3 &&
        before != ByteClass::kNul)
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
      break;
    case State::kByte:
      break;
  }
  carried_.state = State::kByte;
  FlushWord(buf, o, out);
}

}  // namespace qorvel
