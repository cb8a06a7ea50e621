#include "velmar/text_store.h"

#include <algorithm>

#include "cp936/cp936.h"
#include "layout/html.h"

std::string g_strSource;
std::string g_strWrapped;
std::string g_strWeb;
std::string g_strFontFace = qorvel::kDefaultFontFace;
std::int32_t g_nFontSize = qorvel::kDefaultFontSize;
std::int32_t g_nLineHeight = qorvel::kDefaultLineHeight;

std::string VelmarHtml(bool fragment) {
  // The face is stored as code page 936 bytes; the HTML names it in UTF-8.
  const std::string face = qorvel::Cp936ToUtf8(g_strFontFace);
  const qorvel::HtmlLook look{face.empty() ? qorvel::kDefaultHtmlFace : std::string_view(face),
                              std::clamp<std::int32_t>(g_nFontSize, 1, 1000), {}};
  return qorvel::VerticalHtml(g_strWrapped, qorvel::Cp936ToUtf8, look,
                              fragment ? qorvel::HtmlForm::kFragment : qorvel::HtmlForm::kDocument);
}
