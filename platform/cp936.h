#pragma once
// Code page 936 bytes <-> Qt's strings, for the places where the platform
// hands us Unicode (clipboard, font and file names) or wants it (drawing
// text). The conversion and its contract are the core's, cp936/cp936.h.

#include <QString>
#include <QStringView>
#include <string>
#include <string_view>

namespace qorvel::platform {

QString DecodeCp936(std::string_view bytes);
std::string EncodeCp936(QStringView text);

}  // namespace qorvel::platform
