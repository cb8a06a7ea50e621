#include "orlenta/core/mengkeli_file.h"

#include <array>
#include <bit>
#include <cstring>

#include "mengkeli/byte_writer.h"
#include "mengkeli/word.h"

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

// A byte after which the pending word is converted before anything else
// happens to the output.
bool EndsWord(ByteClass c) {
  return c == ByteClass::kCopy || c == ByteClass::kNul || c == ByteClass::kA1 || c == ByteClass::kA3;
}

}  // namespace

void MengkeliFileConverter::FlushWord(ByteWriter& w) {
  if (word_.empty()) return;
  ConvertMengkeliWord(word_, w);
  word_.clear();
}

bool MengkeliFileConverter::Feed(std::string_view chunk, std::string& out) {
  if (ended_) return false;
  const std::size_t start = out.size();
  const auto* s = reinterpret_cast<const unsigned char*>(chunk.data());
  const std::size_t n = chunk.size();
  std::size_t i = 0;
  {
    ByteWriter w(out, n + n / 2);
    while (i < n && !ended_) {
      // The second byte of a pair or of a code unit, whatever its value.
      if (state_ != State::kByte) {
        const unsigned char c = s[i++];
        if (state_ == State::kUnitSecond) {
          word_.push_back(static_cast<char>(c));
        } else {
          // A1 A4 (middle dot) and A3 A5 (percent sign) become glyphs; any
          // other pair is copied as it stands.
          const bool a1 = state_ == State::kAfterA1;
          if (c == (a1 ? 0xA4 : 0xA5)) {
            w.Append(a1 ? "\xF8\xA3" : "\xF8\xAE");
          } else {
            w.Byte(a1 ? '\xA1' : '\xA3');
            w.Byte(static_cast<char>(c));
          }
        }
        state_ = State::kByte;
        continue;
      }

      switch (ClassOf(s[i])) {
        case ByteClass::kCopy: {
          FlushWord(w);
          std::size_t j = i + 1;
          while (j < n && (ClassOf(s[j]) == ByteClass::kCopy || ClassOf(s[j]) == ByteClass::kLF)) ++j;
          w.Run(chunk.data() + i, j - i, chunk.data() + n);
          i = j;
          break;
        }
        case ByteClass::kLF:
          w.Byte('\n');  // ahead of the pending word's conversion
          ++i;
          break;
        case ByteClass::kNul:
          ++i;
          ended_ = true;
          break;
        case ByteClass::kA1:
        case ByteClass::kA3:
          FlushWord(w);
          state_ = ClassOf(s[i]) == ByteClass::kA1 ? State::kAfterA1 : State::kAfterA3;
          ++i;
          break;
        case ByteClass::kLead: {
          // The whole code units from here on.
          std::size_t j = i;
          while (j + 1 < n && ClassOf(s[j]) == ByteClass::kLead) j += 2;
          const std::string_view units = chunk.substr(i, j - i);
          if (word_.empty() && j < n && EndsWord(ClassOf(s[j]))) {
            // A word that lies whole in this chunk: converted where it stands.
            ConvertMengkeliWord(units, w);
          } else {
            word_.append(units);
            if (j + 1 == n && ClassOf(s[j]) == ByteClass::kLead) {
              word_.push_back(static_cast<char>(s[j++]));
              state_ = State::kUnitSecond;
            }
          }
          i = j;
          break;
        }
        case ByteClass::kDrop: {
          std::size_t j = i + 1;
          while (j < n && ClassOf(s[j]) == ByteClass::kDrop) ++j;
          i = j;
          break;
        }
      }
    }
  }
  consumed_ += i;
  CollapseSpaces(out, start);
  return !ended_;
}

void MengkeliFileConverter::Finish(std::string& out) {
  const std::size_t start = out.size();
  {
    ByteWriter w(out, word_.size() * 3 + 1);
    switch (state_) {
      case State::kAfterA1:
        w.Byte('\xA1');
        break;
      case State::kAfterA3:
        w.Byte('\xA3');
        break;
      case State::kUnitSecond:
        word_.pop_back();  // a lead byte with no second byte
        break;
      case State::kByte:
        break;
    }
    state_ = State::kByte;
    FlushWord(w);
  }
  CollapseSpaces(out, start);
}

void MengkeliFileConverter::CollapseSpaces(std::string& out, std::size_t from) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHigh = 0x8080808080808080u;
  char* d = out.data();
  const std::size_t n = out.size();
  std::size_t r = from;  // reading position
  std::size_t w = from;  // writing position, never ahead of r
  // Moves the k bytes at r (whose first eight are `x`) down to w.
  auto move = [&](std::uint64_t x, std::size_t k) {
    if (w != r) {
      if (k == 8 || r - w >= 8) {
        std::memcpy(d + w, &x, 8);  // what it overwrites past w + k is read already
      } else {
        for (std::size_t t = 0; t < k; ++t) d[w + t] = d[r + t];
      }
    }
    w += k;
    r += k;
  };
  while (r < n) {
    if (r + 8 <= n) {
      std::uint64_t x;
      std::memcpy(&x, d + r, 8);
      const std::uint64_t v = x ^ (kOnes * ' ');
      // The lowest marked byte is the first space (later marks may be false).
      const std::uint64_t spaces = (v - kOnes) & ~v & kHigh;
      const std::size_t k = spaces ? static_cast<std::size_t>(std::countr_zero(spaces)) / 8 : 8;
      if (k != 0) {
        move(x, k);
        spaceRun_ = 0;
        continue;
      }
    } else if (d[r] != ' ') {
      d[w++] = d[r++];
      spaceRun_ = 0;
      continue;
    }
    // A space: one is written for each group of up to three, counted from
    // the start of the run.
    if (spaceRun_ == 0) d[w++] = ' ';
    spaceRun_ = (spaceRun_ + 1) % 3;
    ++r;
  }
  out.resize(w);
}

}  // namespace qorvel
