// platform/cp936.h: the Qt strings over the core's code page 936
// (cp936/cp936.h: ICU on Linux, the system's table on Windows).
#include "platform/cp936.h"

#include "cp936/cp936.h"

namespace qorvel::platform {

QString DecodeCp936(std::string_view bytes) {
  const std::u16string units = DecodeCp936Units(bytes);
  return QString(reinterpret_cast<const QChar*>(units.data()), static_cast<qsizetype>(units.size()));
}

std::string EncodeCp936(QStringView text) {
  return EncodeCp936Units(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                              static_cast<std::size_t>(text.size())));
}

}  // namespace qorvel::platform
