#include "platform/dc.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <climits>
#include <optional>
#include <string>
#include <vector>
#include <utility>

#include "platform/cp936.h"

namespace qorvel::platform {
namespace {

QColor ToQColor(COLORREF c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

// A view measures all its columns at every paint, to size its scroll area
// by them. Shaping every column of a 10 MB text as a string took seconds;
// a text is measured instead as the sum of its characters' advances, each
// code page 936 character measured once per font and device (the columns
// hold no kerned pairs worth the cost).
class AdvanceTable {
 public:
  QSize Measure(const QFont& font, const QPaintDevice* device, std::string_view text) {
    const int devType = device ? device->devType() : 0;
    const int dpiX = device ? device->logicalDpiX() : 0;
    const int dpiY = device ? device->logicalDpiY() : 0;
    if (!m_metrics || !(font == m_font) || devType != m_nDevType || dpiX != m_nDpiX || dpiY != m_nDpiY) {
      m_font = font;
      m_nDevType = devType;
      m_nDpiX = dpiX;
      m_nDpiY = dpiY;
      m_metrics.emplace(font, device);
      m_advances.assign(0x10000, -1);
    }
    long long advance = 0;
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = 0; i < text.size();) {
      // As the code page reads: a byte 0x81..0xFE with a byte after it is
      // a double-byte character.
      const std::size_t len = s[i] >= 0x81 && s[i] <= 0xFE && i + 1 < text.size() ? 2 : 1;
      int& cached = m_advances[len == 2 ? (s[i] << 8 | s[i + 1]) : s[i]];
      if (cached < 0) cached = m_metrics->horizontalAdvance(DecodeCp936(text.substr(i, len)));
      advance += cached;
      i += len;
    }
    return {static_cast<int>(std::min<long long>(advance, INT_MAX)), m_metrics->height()};
  }

 private:
  QFont m_font;
  int m_nDevType = 0, m_nDpiX = 0, m_nDpiY = 0;
  std::optional<QFontMetrics> m_metrics;
  std::vector<int> m_advances;  // by code page 936 character; -1: not measured yet
};

QSize TextExtent(const QFont& font, const QPaintDevice* device, std::string_view text) {
  static AdvanceTable table;
  return table.Measure(font, device, text);
}

// The screen's measure, for the contexts that draw nowhere; the Qt font is
// made again only when another logical font is measured.
QSize ScreenTextExtent(const CFont* font, std::string_view text) {
  static LogFont lastLogFont;
  static QFont lastFont = MakeQFont(lastLogFont, QFont(), nullptr);
  const LogFont lf = font ? font->GetLogFont() : LogFont{};
  if (!(lf == lastLogFont)) {
    lastFont = MakeQFont(lf, QFont(), nullptr);
    lastLogFont = lf;
  }
  return TextExtent(lastFont, nullptr, text);
}

}  // namespace

bool CFont::CreateFont(std::int32_t height, std::int32_t width, std::int32_t escapement,
                       std::int32_t orientation, std::int32_t weight, bool italic, bool underline,
                       bool strikeOut, std::uint8_t charSet, std::uint8_t outPrecision,
                       std::uint8_t clipPrecision, std::uint8_t quality,
                       std::uint8_t pitchAndFamily, std::string_view face) {
  LogFont lf;
  lf.height = height;
  lf.width = width;
  lf.escapement = escapement;
  lf.orientation = orientation;
  lf.weight = weight;
  lf.italic = italic;
  lf.underline = underline;
  lf.strikeOut = strikeOut;
  lf.charSet = charSet;
  lf.outPrecision = outPrecision;
  lf.clipPrecision = clipPrecision;
  lf.quality = quality;
  lf.pitchAndFamily = pitchAndFamily;
  lf.face = std::string(face);
  return CreateFontIndirect(lf);
}

bool CFont::CreateFontIndirect(const LogFont& logFont) {
  m_logFont = logFont;
  m_bCreated = true;
  return true;
}

bool CFont::DeleteObject() {
  const bool was = m_bCreated;
  m_bCreated = false;
  return was;
}

QFont MakeQFont(const LogFont& lf, QPainter& painter) {
  return MakeQFont(lf, painter.font(), painter.device());
}

QFont MakeQFont(const LogFont& lf, const QFont& base, const QPaintDevice* device) {
  QFont font(base);
  if (!lf.face.empty()) font.setFamilies({DecodeCp936(lf.face)});
  if (lf.height != 0) {
    // Positive heights name the cell (ascent + descent), negative ones the
    // character height (the em): scale the em so the cell comes out right.
    const int wanted = std::min(std::abs(lf.height), 4096);
    font.setPixelSize(wanted);
    if (lf.height > 0) {
      const int cell = QFontMetrics(font, device).height();
      if (cell > 0 && cell != wanted)
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(wanted * double(wanted) / cell))));
    }
  }
  if (lf.width > 0) {
    const int average = QFontMetrics(font, device).averageCharWidth();
    if (average > 0)
      font.setStretch(std::clamp(static_cast<int>(std::lround(100.0 * lf.width / average)), 1, 4000));
  }
  if (lf.weight > 0) font.setWeight(static_cast<QFont::Weight>(std::clamp(lf.weight, 1, 1000)));
  font.setItalic(lf.italic);
  font.setUnderline(lf.underline);
  font.setStrikeOut(lf.strikeOut);
  return font;
}

CPainterDC::CPainterDC(QPainter& painter, const QRect& clip, bool printing)
    : m_painter(painter), m_rectClip(clip), m_bPrinting(printing) {}

CFont* CPainterDC::SelectObject(CFont* font) {
  CFont* old = m_pFont;
  m_pFont = font;
  return old;
}

int CPainterDC::SetBkMode(int mode) { return std::exchange(m_nBkMode, mode); }
COLORREF CPainterDC::SetTextColor(COLORREF color) { return std::exchange(m_crText, color); }

const QFont& CPainterDC::SelectedQFont() {
  const LogFont& lf = m_pFont ? m_pFont->GetLogFont() : LogFont{};
  if (!m_bFontMade || !(lf == m_madeFor)) {
    m_madeFont = MakeQFont(lf, m_painter);
    m_madeFor = lf;
    m_bFontMade = true;
  }
  return m_madeFont;
}

QSize CPainterDC::GetTextExtent(std::string_view text) {
  return TextExtent(SelectedQFont(), m_painter.device(), text);
}

bool CPainterDC::TextOut(int x, int y, std::string_view text) {
  const QString str = DecodeCp936(text);
  const QFont& font = SelectedQFont();
  const LogFont lf = m_pFont ? m_pFont->GetLogFont() : LogFont{};
  m_painter.save();
  m_painter.setFont(font);
  const QFontMetrics metrics(font, m_painter.device());
  m_painter.translate(x, y);
  // GDI's escapement turns counter-clockwise; Qt's rotation clockwise.
  if (lf.escapement != 0) m_painter.rotate(-lf.escapement / 10.0);
  if (m_nBkMode == OPAQUE)
    m_painter.fillRect(QRect(0, 0, metrics.horizontalAdvance(str), metrics.height()), Qt::white);
  m_painter.setPen(ToQColor(m_crText));
  m_painter.drawText(0, metrics.ascent(), str);
  m_painter.restore();
  return true;
}

CFont* CRecordingDC::SelectObject(CFont* font) {
  m_selections.push_back(font);
  return std::exchange(m_pFont, font);
}
int CRecordingDC::SetBkMode(int mode) { return std::exchange(m_nBkMode, mode); }
COLORREF CRecordingDC::SetTextColor(COLORREF color) { return std::exchange(m_crText, color); }
bool CRecordingDC::TextOut(int x, int y, std::string_view text) {
  m_textOuts.push_back({x, y, std::string(text), m_pFont ? m_pFont->GetLogFont() : LogFont{},
                        m_crText, m_nBkMode});
  return true;
}
QSize CRecordingDC::GetTextExtent(std::string_view text) { return ScreenTextExtent(m_pFont, text); }

CFont* CNullDC::SelectObject(CFont* font) { return std::exchange(m_pFont, font); }
int CNullDC::SetBkMode(int mode) { return std::exchange(m_nBkMode, mode); }
COLORREF CNullDC::SetTextColor(COLORREF color) { return std::exchange(m_crText, color); }
QSize CNullDC::GetTextExtent(std::string_view text) { return ScreenTextExtent(m_pFont, text); }

bool FaceDrawsText(std::string_view face, std::string_view text) {
  const QString family = DecodeCp936(face);
  // A face that is not installed is stood in for by another, whose glyphs
  // say nothing about the face asked for.
  if (family.isEmpty() || !QFontDatabase::hasFamily(family)) return false;
  QFont font(family);
  font.setStyleStrategy(QFont::NoFontMerging);
  const QFontMetrics metrics(font);
  for (const char32_t c : DecodeCp936(text).toUcs4())
    if (!metrics.inFontUcs4(c)) return false;
  return true;
}

}  // namespace qorvel::platform
