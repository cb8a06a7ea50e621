#include "platform/dc.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <unordered_map>
#include <utility>

#include "platform/cp936.h"

namespace qorvel::platform {
namespace {

QColor ToQColor(COLORREF c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

// A view measures all its columns at every paint, to size its scroll area
// by them; for a long text that costs more than drawing the few columns in
// sight, at every scroll step. The same font on the same kind of device at
// the same resolution always gives a text the same extent, so extents are
// kept by those (up to a bound on the text kept).
class ExtentCache {
 public:
  QSize Get(const QFont& font, const QPaintDevice* device, std::string_view text) {
    if (!m_bHaveFont || !(font == m_lastFont)) {
      m_lastFont = font;
      m_lastFontKey = font.key();
      m_bHaveFont = true;
    }
    Key key{m_lastFontKey, device ? device->devType() : 0, device ? device->logicalDpiX() : 0,
            device ? device->logicalDpiY() : 0, std::string(text)};
    if (const auto it = m_extents.find(key); it != m_extents.end()) return it->second;
    const QFontMetrics metrics(font, device);
    const QSize extent(metrics.horizontalAdvance(DecodeCp936(text)), metrics.height());
    if (m_nBytes + text.size() > kMaxBytes) {
      m_extents.clear();
      m_nBytes = 0;
    }
    m_nBytes += text.size() + sizeof(Key);
    m_extents.emplace(std::move(key), extent);
    return extent;
  }

 private:
  static constexpr std::size_t kMaxBytes = std::size_t(32) << 20;
  struct Key {
    QString font;
    int devType, dpiX, dpiY;
    std::string text;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    std::size_t operator()(const Key& k) const {
      return std::hash<std::string>()(k.text) ^ (qHash(k.font) * 31) ^ (std::size_t(k.dpiX) << 20) ^
             (std::size_t(k.dpiY) << 8) ^ std::size_t(k.devType);
    }
  };
  std::unordered_map<Key, QSize, KeyHash> m_extents;
  std::size_t m_nBytes = 0;
  QFont m_lastFont;
  QString m_lastFontKey;
  bool m_bHaveFont = false;
};

QSize TextExtent(const QFont& font, const QPaintDevice* device, std::string_view text) {
  static ExtentCache cache;
  return cache.Get(font, device, text);
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
