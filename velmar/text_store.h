#pragma once
// Velmar's one text, in three forms, and its display settings. They live for
// the whole run; every command that changes the source text lays it out again.

#include <cstdint>
#include <string>

#include "layout/layout.h"

extern std::string g_strSource;    // what the user opened or pasted
extern std::string g_strWrapped;   // the source text broken into lines
extern std::string g_strWeb;       // the wrapped lines, last line first
extern std::string g_strFontFace;  // display font face
extern std::int32_t g_nFontSize;   // display font size
extern std::int32_t g_nLineHeight; // wrap width; compared as unsigned

// The wrapped text as HTML of vertical columns in the display font (UTF-8).
std::string VelmarHtml(bool fragment);

namespace qorvel {
inline constexpr const char* kDefaultFontFace = "QorvelWebTolvane";
inline constexpr std::int32_t kDefaultFontSize = 7;
}  // namespace qorvel
