#include "velmar/text_store.h"

std::string g_strSource;
std::string g_strWrapped;
std::string g_strWeb;
std::string g_strFontFace = qorvel::kDefaultFontFace;
std::int32_t g_nFontSize = qorvel::kDefaultFontSize;
std::int32_t g_nLineHeight = qorvel::kDefaultLineHeight;
