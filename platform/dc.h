#pragma once
// Device contexts: what a view's OnDraw paints through.
//
//   CFont font;
//   font.CreateFont(17, 7, -900, 0, 400, false, false, false, 1, 2, 1, 0, 2, "QorvelWebTolvane");
//   CFont* pOld = pDC->SelectObject(&font);
//   pDC->SetBkMode(TRANSPARENT);
//   pDC->SetTextColor(RGB(0, 0, 0));
//   pDC->TextOut(50, 10, bytes);        // code page 936 bytes
//   QSize run = pDC->GetTextExtent(bytes);  // advance x cell height
//   pDC->SelectObject(pOld);
//
// CPainterDC paints with a QPainter (screen, image, printer); CRecordingDC is
// a test double that records every call; CNullDC draws nothing (its clip box
// is empty), for running OnDraw only for its side effects.
//
// Text is drawn with the reference point at the top left of the text cell,
// turned by the font's escapement (tenths of a degree counter-clockwise;
// -900 runs the baseline straight down, the cell lying left of the point).
// Text extents are those of the text laid out unturned: its advance along
// the baseline and the font's cell height, in the selected font.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class QPaintDevice;
class QPainter;

namespace qorvel::platform {

using COLORREF = std::uint32_t;
constexpr COLORREF RGB(int r, int g, int b) {
  return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

// A logical font, as GDI describes one. `face` is code page 936 bytes.
struct LogFont {
  std::int32_t height = 0;  // > 0: cell height; < 0: character height; 0: default
  std::int32_t width = 0;   // average character width; 0: the face's own
  std::int32_t escapement = 0;
  std::int32_t orientation = 0;
  std::int32_t weight = 0;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  std::uint8_t charSet = 0;
  std::uint8_t outPrecision = 0;
  std::uint8_t clipPrecision = 0;
  std::uint8_t quality = 0;
  std::uint8_t pitchAndFamily = 0;
  std::string face;
  bool operator==(const LogFont&) const = default;
};

class CFont {
 public:
  bool CreateFont(std::int32_t height, std::int32_t width, std::int32_t escapement,
                  std::int32_t orientation, std::int32_t weight, bool italic, bool underline,
                  bool strikeOut, std::uint8_t charSet, std::uint8_t outPrecision,
                  std::uint8_t clipPrecision, std::uint8_t quality, std::uint8_t pitchAndFamily,
                  std::string_view face);
  bool CreateFontIndirect(const LogFont& logFont);
  bool DeleteObject();
  bool IsCreated() const { return m_bCreated; }
  const LogFont& GetLogFont() const { return m_logFont; }

 private:
  LogFont m_logFont;
  bool m_bCreated = false;
};

class CDC {
 public:
  virtual ~CDC() = default;
  // Selects `font` (nullptr: the context's default font) and returns the one
  // it replaces.
  virtual CFont* SelectObject(CFont* font) = 0;
  virtual int SetBkMode(int mode) = 0;
  virtual COLORREF SetTextColor(COLORREF color) = 0;
  // Draws code page 936 `text` with its reference point at (x, y).
  virtual bool TextOut(int x, int y, std::string_view text) = 0;
  // The advance and cell height of code page 936 `text` in the selected font.
  virtual QSize GetTextExtent(std::string_view text) = 0;
  // The part of the drawing surface that needs painting, in logical units.
  virtual QRect GetClipBox() const = 0;
  virtual bool IsPrinting() const { return false; }
};

class CPainterDC final : public CDC {
 public:
  // `clip` is the area that needs painting, in the painter's coordinates.
  CPainterDC(QPainter& painter, const QRect& clip, bool printing = false);
  CFont* SelectObject(CFont* font) override;
  int SetBkMode(int mode) override;
  COLORREF SetTextColor(COLORREF color) override;
  bool TextOut(int x, int y, std::string_view text) override;
  QSize GetTextExtent(std::string_view text) override;
  QRect GetClipBox() const override { return m_rectClip; }
  bool IsPrinting() const override { return m_bPrinting; }

 private:
  // The Qt font of the selected font, made once per logical font: a paint
  // measures and draws every column with the same one.
  const QFont& SelectedQFont();

  QPainter& m_painter;
  QRect m_rectClip;
  bool m_bPrinting;
  CFont* m_pFont = nullptr;
  LogFont m_madeFor;
  QFont m_madeFont;
  bool m_bFontMade = false;
  int m_nBkMode = OPAQUE;
  COLORREF m_crText = RGB(0, 0, 0);
};

class CRecordingDC final : public CDC {
 public:
  struct TextOutCall {
    int x, y;
    std::string text;
    LogFont font;  // the font selected at the time (default-constructed: none)
    COLORREF color;
    int bkMode;
  };
  explicit CRecordingDC(const QRect& clip) : m_rectClip(clip) {}
  CFont* SelectObject(CFont* font) override;
  int SetBkMode(int mode) override;
  COLORREF SetTextColor(COLORREF color) override;
  bool TextOut(int x, int y, std::string_view text) override;
  // Measured as on the screen.
  QSize GetTextExtent(std::string_view text) override;
  QRect GetClipBox() const override { return m_rectClip; }

  std::vector<TextOutCall> m_textOuts;
  std::vector<const CFont*> m_selections;  // every SelectObject argument, in order
  CFont* m_pFont = nullptr;

 private:
  QRect m_rectClip;
  int m_nBkMode = OPAQUE;
  COLORREF m_crText = RGB(0, 0, 0);
};

class CNullDC final : public CDC {
 public:
  CFont* SelectObject(CFont* font) override;
  int SetBkMode(int mode) override;
  COLORREF SetTextColor(COLORREF color) override;
  bool TextOut(int, int, std::string_view) override { return true; }
  // Measured as on the screen.
  QSize GetTextExtent(std::string_view text) override;
  QRect GetClipBox() const override { return {}; }

 private:
  CFont* m_pFont = nullptr;
  int m_nBkMode = OPAQUE;
  COLORREF m_crText = RGB(0, 0, 0);
};

// The Qt font for a logical font, sized for the device `painter` paints on.
QFont MakeQFont(const LogFont& logFont, QPainter& painter);
// The same from a base font (for fields the logical font leaves open) for
// `device` (nullptr: the screen).
QFont MakeQFont(const LogFont& logFont, const QFont& base, const QPaintDevice* device);

// True when the installed face `face` has glyphs of its own for every
// character of `text` (both code page 936 bytes): false for a face that is
// not installed, whatever the platform would draw in its place.
bool FaceDrawsText(std::string_view face, std::string_view text);

}  // namespace qorvel::platform
