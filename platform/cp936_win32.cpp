// platform/cp936.h on Windows: the system's code page 936 table, through
// the Qt-free core that tests/windows/cp936_dump.cpp checks against ICU.
#include "platform/cp936.h"

#include "platform/cp936_win32_core.h"

namespace qorvel::platform {

QString DecodeCp936(std::string_view bytes) {
  const std::u16string units = DecodeCp936Units(bytes);
  return QString(reinterpret_cast<const QChar*>(units.data()),
                 static_cast<qsizetype>(units.size()));
}

std::string EncodeCp936(QStringView text) {
  return EncodeCp936Units(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                              static_cast<std::size_t>(text.size())));
}

}  // namespace qorvel::platform
