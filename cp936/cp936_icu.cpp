// Code page 936 on Linux: ICU's windows-936-2000.
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <memory>
#include <stdexcept>

#include "cp936/cp936.h"

namespace qorvel {
namespace {

struct ConverterClose {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterClose>;

// ICU's own substitute callback writes nothing for the default-ignorable
// characters it cannot map (the Mongolian free variation selectors and
// vowel separator U+180B..U+180F, U+200B, U+FEFF, U+E0001...), where
// Windows writes '?' as for any other. A character that cannot be held
// must show up, and the same everywhere: this callback writes the
// substitute for every character the table lacks and every lone surrogate.
extern "C" void SubstituteEveryCharacter(const void*, UConverterFromUnicodeArgs* args, const UChar*, int32_t,
                                         UChar32, UConverterCallbackReason reason, UErrorCode* status) {
  if (reason > UCNV_IRREGULAR) return;  // the converter is being reset, closed or cloned
  *status = U_ZERO_ERROR;
  ucnv_cbFromUWriteSub(args, 0, status);
}

// A converter per call: an ICU converter holds state and may not be shared
// between threads, and the library lets any thread call. Opening one is
// cheap once ICU has loaded the table.
Converter OpenConverter() {
  UErrorCode status = U_ZERO_ERROR;
  Converter c(ucnv_open("windows-936-2000", &status));
  if (U_FAILURE(status) || !c) throw std::runtime_error("ICU converter windows-936-2000 is missing");
  // Unmappable characters become '?' (the converter's own substitute too).
  status = U_ZERO_ERROR;
  ucnv_setSubstChars(c.get(), "?", 1, &status);
  ucnv_setFromUCallBack(c.get(), SubstituteEveryCharacter, nullptr, nullptr, nullptr, &status);
  if (U_FAILURE(status)) throw std::runtime_error("ICU converter windows-936-2000 cannot be set up");
  return c;
}

// ICU's lengths are int32_t: longer texts go in pieces cut where no
// sequence straddles the cut (decoding: after a byte below 0x81, which is
// never a lead byte; encoding: before a unit that is not a low surrogate).
constexpr std::size_t kMaxPiece = std::size_t{1} << 30;

}  // namespace

std::u16string DecodeCp936Units(std::string_view bytes) {
  std::u16string out;
  if (bytes.empty()) return out;
  const Converter conv = OpenConverter();
  while (!bytes.empty()) {
    std::size_t n = bytes.size();
    if (n > kMaxPiece) {
      n = kMaxPiece;
      while (n > 1 && static_cast<unsigned char>(bytes[n - 1]) >= 0x81) --n;
    }
    // Every code page 936 byte sequence gives at most one UTF-16 unit per byte.
    const std::size_t at = out.size();
    out.resize(at + n);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t got = ucnv_toUChars(conv.get(), reinterpret_cast<UChar*>(out.data() + at),
                                      static_cast<int32_t>(n), bytes.data(), static_cast<int32_t>(n), &status);
    if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) {
      out.resize(at);
      out.append(n, u'\uFFFD');
    } else {
      out.resize(at + static_cast<std::size_t>(got));
    }
    bytes.remove_prefix(n);
  }
  return out;
}

std::string EncodeCp936Units(std::u16string_view text) {
  std::string out;
  if (text.empty()) return out;
  const Converter conv = OpenConverter();
  while (!text.empty()) {
    std::size_t n = text.size();
    if (n > kMaxPiece) {
      n = kMaxPiece;
      if (text[n] >= 0xDC00 && text[n] <= 0xDFFF) --n;
    }
    const std::size_t at = out.size();
    const std::size_t room = n * 2;  // a character is one or two bytes
    out.resize(at + room);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t got = ucnv_fromUChars(conv.get(), out.data() + at, static_cast<int32_t>(room),
                                        reinterpret_cast<const UChar*>(text.data()), static_cast<int32_t>(n),
                                        &status);
    if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) {
      out.resize(at);
      out.append(n, '?');
    } else {
      out.resize(at + static_cast<std::size_t>(got));
    }
    text.remove_prefix(n);
  }
  return out;
}

}  // namespace qorvel
