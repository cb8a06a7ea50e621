#pragma once
// Code page 936 bytes <-> Unicode, for the places where the platform hands us
// Unicode (clipboard, font and file names) or wants it (drawing text).
// Everything else in the suite stays in bytes.
//
// On Linux the converter is ICU's "windows-936-2000" (cp936_icu.cpp), which
// maps the user-defined area as Windows does (F8A1.. <-> U+E234..); on
// Windows it is the system's own code page 936 (cp936_win32.cpp), the table
// the clipboard converts another program's text with.
//   Decoding: a byte sequence that is not code page 936 becomes U+FFFD, one
//   per bad sequence; nothing is dropped and nothing throws.
//   Encoding: a character that code page 936 cannot hold becomes '?', as a
//   Windows code page conversion does.

#include <QString>
#include <QStringView>
#include <string>
#include <string_view>

namespace qorvel::platform {

QString DecodeCp936(std::string_view bytes);
std::string EncodeCp936(QStringView text);

}  // namespace qorvel::platform
