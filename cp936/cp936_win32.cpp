#include "cp936/cp936.h"

#include <windows.h>

#include <algorithm>

namespace qorvel {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' UTF-16 units");

constexpr UINT kCodePage = 936;
// Well inside an int, so a piece's length and its output's fit.
constexpr std::size_t kMaxPiece = std::size_t{1} << 29;
// No best fit: a character with no code of its own is '?' as in ICU,
// instead of a look-alike that decodes to another character (A with grave
// as a with grave, superscript two as '2', the CJK compatibility
// ideographs as the unified ones: 411 such characters in Wine's table).
constexpr DWORD kEncodeFlags = WC_NO_BEST_FIT_CHARS;

bool IsLead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool IsTrail(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE); }

int Convert(std::string_view bytes, DWORD flags, wchar_t* out) {
  return MultiByteToWideChar(kCodePage, flags, bytes.data(), static_cast<int>(bytes.size()), out,
                             static_cast<int>(bytes.size()));  // never more units than bytes
}

wchar_t DefaultChar() {
  static const wchar_t c = [] {
    CPINFOEXW info{};
    return GetCPInfoExW(kCodePage, 0, &info) ? info.UnicodeDefaultChar : L'?';
  }();
  return c;
}

// One sequence by the rule: Windows' character, or U+FFFD where its table
// has none. The strict conversion also refuses a single byte that the table
// maps into the private use area (0xFF -> U+F8F5), though the clipboard's
// own conversion, which is not strict, gives that character; so a refused
// sequence counts as missing only when the lenient one gives the default
// character.
char16_t DecodeSequence(std::string_view seq) {
  wchar_t w[2];
  if (Convert(seq, MB_ERR_INVALID_CHARS, w) == 1) return static_cast<char16_t>(w[0]);
  if (Convert(seq, 0, w) == 1 && w[0] != DefaultChar()) return static_cast<char16_t>(w[0]);
  return u'\uFFFD';
}

// Appends a run of good sequences by the rule: one strict call when Windows
// takes them all, else one lenient call whose default characters are
// looked at one by one (a real '?' stays '?').
void AppendRun(std::string_view run, std::u16string& out) {
  if (run.empty()) return;
  const std::size_t at = out.size();
  out.resize(at + run.size());
  auto* dst = reinterpret_cast<wchar_t*>(out.data() + at);
  int n = Convert(run, MB_ERR_INVALID_CHARS, dst);
  if (n > 0) {
    out.resize(at + static_cast<std::size_t>(n));
    return;
  }
  n = Convert(run, 0, dst);
  std::size_t count = 0;
  for (std::size_t i = 0; i < run.size(); i += IsLead(static_cast<unsigned char>(run[i])) ? 2 : 1)
    ++count;
  const bool one_each = n > 0 && static_cast<std::size_t>(n) == count;
  std::size_t k = at;
  for (std::size_t i = 0; i < run.size(); ++k) {
    const std::size_t len = IsLead(static_cast<unsigned char>(run[i])) ? 2 : 1;
    if (!one_each || out[k] == static_cast<char16_t>(DefaultChar()))
      out[k] = DecodeSequence(run.substr(i, len));
    i += len;
  }
  out.resize(k);
}

void AppendEncoded(std::u16string_view units, std::string& out) {
  if (units.empty()) return;
  const std::size_t at = out.size();
  const std::size_t room = units.size() * 2;  // a character is one or two bytes
  out.resize(at + room);
  const int n = WideCharToMultiByte(
      kCodePage, kEncodeFlags, reinterpret_cast<const wchar_t*>(units.data()),
      static_cast<int>(units.size()), out.data() + at, static_cast<int>(room), "?", nullptr);
  if (n > 0) {
    out.resize(at + static_cast<std::size_t>(n));
  } else {
    // Only a broken system gets here; keep the contract's one '?' per unit.
    out.resize(at);
    out.append(units.size(), '?');
  }
}

bool IsSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDFFF; }
bool IsHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

std::u16string DecodeCp936Units(std::string_view bytes, std::size_t max_piece) {
  std::u16string out;
  max_piece = std::clamp<std::size_t>(max_piece, 2, kMaxPiece);
  // Most text is good: one call, no scan of our own.
  if (!bytes.empty() && bytes.size() <= max_piece) {
    out.resize(bytes.size());
    const int n = Convert(bytes, MB_ERR_INVALID_CHARS, reinterpret_cast<wchar_t*>(out.data()));
    if (n > 0) {
      out.resize(static_cast<std::size_t>(n));
      return out;
    }
    out.clear();
  }
  out.reserve(bytes.size());
  std::size_t run = 0;  // start of the good sequences not yet converted
  std::size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char b = static_cast<unsigned char>(bytes[i]);
    std::size_t len = 1;
    if (IsLead(b)) {
      if (i + 1 == bytes.size() || !IsTrail(static_cast<unsigned char>(bytes[i + 1]))) {
        AppendRun(bytes.substr(run, i - run), out);
        out += u'\uFFFD';
        run = ++i;  // the byte after it is read again
        continue;
      }
      len = 2;
    }
    if (i + len - run > max_piece) {
      AppendRun(bytes.substr(run, i - run), out);
      run = i;
    }
    i += len;
  }
  AppendRun(bytes.substr(run), out);
  return out;
}

std::string EncodeCp936Units(std::u16string_view text, std::size_t max_piece) {
  std::string out;
  max_piece = std::clamp<std::size_t>(max_piece, 1, kMaxPiece);
  out.reserve(text.size() * 2);
  std::size_t run = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    if (IsSurrogate(text[i])) {
      // Code page 936 holds no character beyond the BMP. The system
      // converts unit by unit (a pair is "??" under Wine); the contract and
      // ICU give one '?' per character.
      AppendEncoded(text.substr(run, i - run), out);
      out += '?';
      i += IsHigh(text[i]) && i + 1 < text.size() && IsLow(text[i + 1]) ? 2 : 1;
      run = i;
      continue;
    }
    if (i + 1 - run > max_piece) {
      AppendEncoded(text.substr(run, i - run), out);
      run = i;
    }
    ++i;
  }
  AppendEncoded(text.substr(run), out);
  return out;
}

std::u16string DecodeCp936Units(std::string_view bytes) {
  return DecodeCp936Units(bytes, kMaxPiece);
}

std::string EncodeCp936Units(std::u16string_view text) { return EncodeCp936Units(text, kMaxPiece); }

}  // namespace qorvel
