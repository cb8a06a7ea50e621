#include "platform/cp936.h"

#include <unicode/ucnv.h>

#include <memory>
#include <stdexcept>
#include <vector>

namespace qorvel::platform {
namespace {

struct ConverterClose {
  void operator()(UConverter* c) const { ucnv_close(c); }
};

UConverter* Converter() {
  thread_local std::unique_ptr<UConverter, ConverterClose> converter = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, ConverterClose> c(ucnv_open("windows-936-2000", &status));
    if (U_FAILURE(status) || !c) throw std::runtime_error("ICU converter windows-936-2000 is missing");
    // Unmappable characters become '?' (the converter's own substitute too).
    status = U_ZERO_ERROR;
    ucnv_setSubstChars(c.get(), "?", 1, &status);
    return c;
  }();
  return converter.get();
}

}  // namespace

QString DecodeCp936(std::string_view bytes) {
  if (bytes.empty()) return {};
  UConverter* conv = Converter();
  // Every code page 936 byte sequence gives at most one UTF-16 unit per byte.
  std::vector<UChar> out(bytes.size() + 1);
  UErrorCode status = U_ZERO_ERROR;
  const int32_t n = ucnv_toUChars(conv, out.data(), static_cast<int32_t>(out.size()), bytes.data(),
                                  static_cast<int32_t>(bytes.size()), &status);
  if (status == U_BUFFER_OVERFLOW_ERROR) {
    out.resize(static_cast<std::size_t>(n) + 1);
    status = U_ZERO_ERROR;
    ucnv_toUChars(conv, out.data(), static_cast<int32_t>(out.size()), bytes.data(),
                  static_cast<int32_t>(bytes.size()), &status);
  }
  if (U_FAILURE(status)) return QString(static_cast<qsizetype>(bytes.size()), QChar(0xFFFD));
  return QString(reinterpret_cast<const QChar*>(out.data()), n);
}

std::string EncodeCp936(QStringView text) {
  if (text.isEmpty()) return {};
  UConverter* conv = Converter();
  std::string out(static_cast<std::size_t>(text.size()) * 2 + 1, '\0');
  UErrorCode status = U_ZERO_ERROR;
  const auto* src = reinterpret_cast<const UChar*>(text.utf16());
  int32_t n = ucnv_fromUChars(conv, out.data(), static_cast<int32_t>(out.size()), src,
                              static_cast<int32_t>(text.size()), &status);
  if (status == U_BUFFER_OVERFLOW_ERROR) {
    out.assign(static_cast<std::size_t>(n) + 1, '\0');
    status = U_ZERO_ERROR;
    n = ucnv_fromUChars(conv, out.data(), static_cast<int32_t>(out.size()), src,
                        static_cast<int32_t>(text.size()), &status);
  }
  if (U_FAILURE(status)) return std::string(static_cast<std::size_t>(text.size()), '?');
  out.resize(static_cast<std::size_t>(n));
  return out;
}

}  // namespace qorvel::platform
