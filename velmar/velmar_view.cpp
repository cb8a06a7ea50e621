#include "velmar/velmar_view.h"

#include <QFile>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>
#include <QStringList>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <new>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "codec/registry.h"
#include "fileio/files.h"
#include "layout/layout.h"
#include "platform/clipboard.h"
#include "platform/cp936.h"
#include "platform/file_names.h"
#include "platform/ui.h"
#include "velmar/line_height_dlg.h"
#include "velmar/menus.h"
#include "velmar/resource.h"
#include "velmar/text_store.h"
#include "velmar/velmar_doc.h"

using namespace qorvel::platform;

namespace {

// Where byte `offset` of `text` is, as a reader finds it: its line and its
// offset.
QString Place(std::string_view text, std::uint64_t offset) {
  const auto upTo = text.substr(0, static_cast<std::size_t>(std::min<std::uint64_t>(offset, text.size())));
  return QStringLiteral("第 %1 行（第 %2 字节）")
      .arg(1 + std::count(upTo.begin(), upTo.end(), '\n'))
      .arg(offset);
}

// "其后 12 个字节", or "其后的字节" when their number is not known.
QString BytesAfter(std::optional<std::uint64_t> after) {
  return after ? QStringLiteral("其后 %1 个字节").arg(*after) : QStringLiteral("其后的字节");
}

// Display font fields.
constexpr std::int32_t kEscapementDown = -900;
constexpr std::int32_t kWeightNormal = 400;
constexpr std::uint8_t DEFAULT_CHARSET = 1;
constexpr std::uint8_t OUT_STRING_PRECIS = 2;
constexpr std::uint8_t CLIP_CHARACTER_PRECIS = 1;
constexpr std::uint8_t DEFAULT_QUALITY = 0;
constexpr std::uint8_t VARIABLE_PITCH = 2;

// Scroll sizes are kept within what a scroll bar can hold.
int ClampExtent(long long v) {
  return static_cast<int>(std::clamp<long long>(v, 0, std::numeric_limits<int>::max() / 2));
}

const MessageMapEntry<CVelmarView> kMessageMap[] = {
    {ID_FILE_NEW, &CVelmarView::OnNewText},
    {ID_FILE_OPEN, &CVelmarView::OnFileOpenText},
    {ID_EDIT_PASTE, &CVelmarView::OnPastePlain},
    {ID_EDIT_COPY, &CVelmarView::OnCopyWeb},
    {ID_EDIT_CUT, &CVelmarView::OnCutWeb},
    {ID_COPY_ALL, &CVelmarView::OnCopyAll},
    {ID_COPY_HTML, &CVelmarView::OnCopyHtml},
    {ID_RELAYOUT, &CVelmarView::OnRelayout},
    {ID_CHOOSE_FONT, &CVelmarView::OnChooseFont},
    {ID_SET_LINE_HEIGHT, &CVelmarView::OnSetLineHeight},
    {ID_PASTE_MENGKELI, &CVelmarView::OnPasteMengkeliText},
    {ID_PASTE_MINGANTU, &CVelmarView::OnPasteMingantuText},
    {ID_PASTE_WORD, &CVelmarView::OnPasteWordText},
    {ID_FILE_PRINT, &CVelmarView::OnFilePrint},
    {ID_FILE_PRINT_DIRECT, &CVelmarView::OnFilePrintDirect},
    {ID_FILE_PRINT_PREVIEW, &CVelmarView::OnFilePrintPreview},
};

// Where the picture puts its columns: the first column's x, the text's top,
// and the margin kept below the longest column.
constexpr long long kFirstColumnX = 50;
constexpr long long kColumnTop = 10;
constexpr long long kBottomMargin = 50;

// The display font, derived afresh from the settings for every paint.
void CreateDisplayFont(CFont& font) {
  font.CreateFont(static_cast<std::int32_t>(std::clamp(g_nFontSize * 2.5, -1e9, 1e9)), g_nFontSize, kEscapementDown, 0,
                  kWeightNormal, false, false, false, DEFAULT_CHARSET, OUT_STRING_PRECIS,
                  CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH, g_strFontFace);
}

// Calls f(column) for every line of the wrapped text, which ends each line
// in CR LF; each line is one column.
template <typename F>
void ForEachColumn(const std::string& wrapped, F&& f) {
  for (std::size_t start = 0;;) {
    const std::size_t cr = wrapped.find('\r', start);
    if (cr == std::string::npos) return;
    f(std::string_view(wrapped).substr(start, cr - start));
    start = cr + 2;  // the LF after the CR
  }
}

// The columns' places in the picture, measured in the display font selected
// into a device context. A column is drawn turned, so it runs down from
// kColumnTop as far as its text's advance, in a cell one font height wide
// lying left of its x.
struct ColumnPlacement {
  long long count = 0;
  long long spacing = 0;  // from one column's x to the next
  long long cell = 0;
  // Added to every x when the first column's cell would reach left of 0
  // (large fonts), so that nothing lies where no scroll position shows it.
  long long shift = 0;
  std::vector<long long> lengths;  // each column's advance, when asked for
  QSize total;                     // the scroll sizes
  long long X(long long n) const { return spacing * n + kFirstColumnX + shift; }
};

// Where the columns of g_strWrapped go. The picture is 3 x size x count + 100
// wide and line height + 150 high, as long as the font keeps every column
// inside that; a larger font widens it by the shift and lengthens it to the
// longest column.
ColumnPlacement PlaceColumns(CDC* pDC, bool keepLengths = false) {
  ColumnPlacement place;
  place.spacing = 3LL * g_nFontSize;
  place.cell = pDC->GetTextExtent({}).height();
  long long longest = 0;
  ForEachColumn(g_strWrapped, [&](std::string_view column) {
    const long long length = pDC->GetTextExtent(column).width();
    longest = std::max(longest, length);
    if (keepLengths) place.lengths.push_back(length);
    ++place.count;
  });
  if (place.count > 0) place.shift = std::max(0LL, place.cell - kFirstColumnX);
  const long long height = std::max(static_cast<long long>(g_nLineHeight) + 150,
                                    longest > 0 ? kColumnTop + longest + kBottomMargin : 0);
  place.total = QSize(ClampExtent(place.spacing * place.count + 100 + place.shift), ClampExtent(height));
  return place;
}

// One printed page: the part of the picture it shows (also its clip) and
// the picture's point at the page's top left.
struct PrintPage {
  QRect part;
  QPoint origin;
};

// Cuts the picture into pages of `page` size. Across, a page holds whole
// columns, as many as fit, and the next page starts with the next column,
// placed as far from the page's left edge as the first column is on the
// first page; a column wider than a page (huge fonts) is sliced across as
// many pages as it needs. Down, the columns of a page run on over further
// pages, one page height each, as far as the longest of them reaches. The
// order is that of reading: down a page's columns, then on to the right.
std::vector<PrintPage> CutIntoPages(const ColumnPlacement& place, QSize page) {
  const long long pageWidth = std::max(1, page.width());
  const long long pageHeight = std::max(1, page.height());
  const long long right = place.total.width();
  std::vector<PrintPage> pages;
  auto addStrip = [&](long long origin, long long left, long long end, long long bottom) {
    for (long long top = 0; top == 0 || top < bottom; top += pageHeight)
      pages.push_back({QRect(QPoint(ClampExtent(left), ClampExtent(top)),
                             QPoint(ClampExtent(end) - 1, ClampExtent(top + pageHeight) - 1)),
                       QPoint(ClampExtent(origin), ClampExtent(top))});
  };
  if (place.count == 0) addStrip(0, 0, std::min(right, pageWidth), 0);
  const long long margin = place.X(0) - place.cell;
  for (long long i = 0; i < place.count && place.X(i) <= right;) {
    const long long origin = place.X(i) - place.cell - margin;
    const long long left = i == 0 ? 0 : std::max(origin, place.X(i - 1));
    long long j = i;  // the page's last column
    while (j + 1 < place.count && place.X(j + 1) - origin <= pageWidth && place.X(j + 1) <= right) ++j;
    const long long bottom =
        kColumnTop + *std::max_element(place.lengths.begin() + i, place.lengths.begin() + j + 1);
    // The last page also takes the picture's right margin, as far as it fits.
    const long long end =
        j + 1 == place.count ? std::max(place.X(j), std::min(right, origin + pageWidth)) : place.X(j);
    for (long long from = origin; from < end; from += pageWidth)
      addStrip(from, std::max(from, left), std::min(end, from + pageWidth), bottom);
    i = j + 1;
  }
  return pages;
}

}  // namespace

CVelmarView::CVelmarView(QWidget* parent, CVelmarDoc* pDoc)
    : CScrollView(parent),
      m_pDocument(pDoc),
      m_mengkeliPaste(qorvel::RequireCodec("mengkeli-paste", qorvel::CodecKind::kPaste)),
      m_mingantuPaste(qorvel::RequireCodec("mingantu", qorvel::CodecKind::kPaste)),
      m_wordFontPaste(qorvel::RequireCodec("wordfont", qorvel::CodecKind::kPaste)) {
  setObjectName(QStringLiteral("CVelmarView"));
}

bool CVelmarView::OnCmdMsg(int id, bool execute) {
  return DispatchMessageMap<CVelmarView>(this, kMessageMap, id, execute);
}

void CVelmarView::LayoutText() {
  qorvel::Layout layout = qorvel::LayOut(g_strSource, static_cast<std::uint32_t>(g_nLineHeight));
  g_strWrapped = std::move(layout.wrapped);
  g_strWeb = std::move(layout.web);
}

void CVelmarView::OnInitialUpdate() {
  CScrollView::OnInitialUpdate();
  SetScrollSizes(MM_TEXT, QSize(1000, 1000));
}

void CVelmarView::OnDraw(CDC* pDC) {
  CFont font;
  CreateDisplayFont(font);
  CFont* pOldFont = pDC->SelectObject(&font);
  const ColumnPlacement place = PlaceColumns(pDC);

  // Every line of the wrapped text is one column; only the columns that can
  // reach the area being painted are drawn. A column's cell lies left of its
  // x, about one font height wide.
  const QRect clip = pDC->GetClipBox();
  const long long cell = std::max<long long>(std::llabs(static_cast<long long>(g_nFontSize) * 5 / 2), 1);
  long long n = 0;
  ForEachColumn(g_strWrapped, [&](std::string_view column) {
    const long long x = place.X(n++);
    if (!clip.isEmpty() && x + 2 * cell >= clip.left() && x - 3 * cell <= clip.right())
      DrawLine(pDC, static_cast<int>(x), static_cast<int>(kColumnTop), column, RGB(0, 0, 0));
  });

  pDC->SelectObject(pOldFont);
  SetScrollSizes(MM_TEXT, place.total);
  font.DeleteObject();
}

void CVelmarView::DrawLine(CDC* pDC, int x, int y, std::string_view text, COLORREF color) {
  pDC->SetBkMode(TRANSPARENT);
  pDC->SetTextColor(color);
  pDC->TextOut(x, y, text);
}

void CVelmarView::OnContextMenu(QWidget*, QPoint point) {
  if (point == QPoint(-1, -1)) point = ClientToScreen(GetClientRect().topLeft()) + QPoint(5, 5);
  // The menu belongs to the top-level window (the main frame), and its
  // commands take the frame's route.
  CCmdTarget* owner = dynamic_cast<CCmdTarget*>(window());
  if (!owner) owner = this;
  QMenu menu(window());
  velmar::FillMenu(menu, velmar::ContextMenu(), *owner);
  if (const int id = CurrentUi().TrackPopupMenu(menu, point)) velmar::SendCommand(*owner, id);
}

bool CVelmarView::AppendTextFile(const QString& path, std::optional<TextEnd>* end) {
  if (path.isEmpty()) return false;
  const std::string name = qorvel::platform::FileNameBytes(path);
  std::string text;
  try {
    qorvel::InputFile file(name);
    std::vector<char> chunk(1 << 16);
    std::optional<TextEnd> stopped;
    bool early = false;
    for (;;) {
      const std::size_t n = file.Read(chunk.data(), chunk.size());
      if (n == 0) break;
      const std::string_view piece(chunk.data(), n);
      if (stopped) {  // past the end of the text: is there more than NULs?
        early = qorvel::EndsEarly(piece);
        if (early) break;
        continue;
      }
      const auto stop = std::find_if(piece.begin(), piece.end(), [](char c) {
        return c == '\0' || static_cast<unsigned char>(c) == 0xFF;
      });
      text.append(piece.begin(), stop);
      if (stop == piece.end()) continue;
      stopped = TextEnd{text.size(), static_cast<unsigned char>(*stop), std::nullopt};
      if (const std::optional<std::uint64_t> size = file.Size()) stopped->after = *size - text.size() - 1;
      // A text ended by a NUL followed by NULs alone is whole; anything
      // else after it was not read in.
      early = qorvel::EndsEarly(piece.substr(static_cast<std::size_t>(stop - piece.begin()) + 1));
      if (early || !end) break;
    }
    if (end) *end = early ? stopped : std::nullopt;
  } catch (const qorvel::IoError&) {
    return false;
  } catch (const std::bad_alloc&) {  // a file larger than memory: as unreadable, the text unchanged
    return false;
  }
  g_strSource += text;
  return true;
}

bool CVelmarView::OpenTextFile(const QString& path) {
  const std::size_t sizeBefore = g_strSource.size();
  std::optional<TextEnd> end;
  if (!AppendTextFile(path, &end)) {
    CurrentUi().MessageBox(this, QString::fromUtf8(kOpenErrorText), QString::fromUtf8(kMessageCaption));
    return false;
  }
  if (end) {
    const std::string_view text = std::string_view(g_strSource).substr(sizeBefore);
    ShowStatus(QStringLiteral("文件在%1的 %2 字节处结束，%3未读入")
                   .arg(Place(text, end->offset), end->byte == 0 ? QStringLiteral("NUL") : QStringLiteral("0xFF"),
                        BytesAfter(end->after)));
  }
  NoteSourceChange(sizeBefore);
  LayoutText();
  Invalidate();
  return true;
}

bool CVelmarView::OpenDocumentFile(const QString& path) {
  CVelmarDoc* doc = GetDocument();
  const bool replaces = g_strSource.empty();
  if (replaces && doc && !doc->SaveModified()) return false;
  if (!OpenTextFile(path)) {
    if (doc) doc->OnFileUnreadable(path);
    return false;
  }
  if (doc) doc->OnFileOpened(path, replaces);
  return true;
}

void CVelmarView::ShowStatus(const QString& text) {
  if (auto* frame = qobject_cast<QMainWindow*>(window())) frame->statusBar()->showMessage(text);
}

void CVelmarView::NoteSourceChange(std::size_t sizeBefore) {
  if (g_strSource.size() == sizeBefore) return;
  if (CVelmarDoc* doc = GetDocument()) doc->SetModifiedFlag();
}

void CVelmarView::OnNewText() {
  CVelmarDoc* doc = GetDocument();
  if (doc && !doc->SaveModified()) return;
  g_strSource.clear();
  g_strWrapped.clear();
  g_strWeb.clear();
  Invalidate();
  if (doc) doc->OnNewDocument();
}

void CVelmarView::OnFileOpenText() {
  const std::optional<QString> path = CurrentUi().GetOpenFileName(
      this, QStringLiteral("打开文本文件"), {{QStringLiteral("文本文件 (*.txt)"), QStringLiteral("*.txt")}});
  if (!path) return;
  OpenDocumentFile(*path);
}

// The clipboard is read once per paste: its text block (the text, its NUL
// and whatever else the block holds), as bytes.
void CVelmarView::OnPastePlain() {
  const std::optional<std::string> block = GetClipboardBlock();
  if (!block) return;
  // The text: up to its NUL, never the block's last byte.
  std::string_view text(*block);
  text = text.substr(0, text.empty() ? 0 : text.size() - 1);
  text = text.substr(0, text.find('\0'));
  const std::size_t sizeBefore = g_strSource.size();
  g_strSource.append(text);
  NoteSourceChange(sizeBefore);
  LayoutText();
  Invalidate();
}

// The line end goes with the clipboard copy only: the stored web-format text
// stays as laid out, so copying twice gives the same text twice.
void CVelmarView::OnCopyWeb() { SetClipboardText((g_strWeb + "\r\n").c_str()); }

void CVelmarView::OnCutWeb() {
  OnCopyWeb();
  const std::size_t sizeBefore = g_strSource.size();
  g_strSource.clear();
  NoteSourceChange(sizeBefore);
  LayoutText();
  Invalidate();
}

void CVelmarView::OnCopyAll() { SetClipboardText(g_strWrapped.c_str()); }

// The HTML for programs that take it, and beside it, for those that take
// plain text only, the bytes of OnCopyWeb.
void CVelmarView::OnCopyHtml() { SetClipboardTextAndHtml((g_strWeb + "\r\n").c_str(), VelmarHtml(true)); }

void CVelmarView::OnRelayout() {
  LayoutText();
  Invalidate();
}

void CVelmarView::OnChooseFont() {
  const FontRequest request{DecodeCp936(g_strFontFace),
                            static_cast<int>(std::clamp(g_nFontSize * 1.34, -1e9, 1e9))};
  const std::optional<FontChoice> choice = CurrentUi().ChooseFont(nullptr, request);
  if (!choice) return;
  g_strFontFace = EncodeCp936(choice->face);
  g_nFontSize = choice->pointSizeTenths / 10;
  Invalidate();
}

void CVelmarView::OnSetLineHeight() {
  CLineHeightDlg dlg;
  if (dlg.DoModal() == IDOK) g_nLineHeight = dlg.m_nLineHeight;
  LayoutText();
  Invalidate();
}

void CVelmarView::PasteConverted(const qorvel::Codec& codec) {
  const std::optional<std::string> block = GetClipboardBlock();
  if (!block) return;
  const std::size_t sizeBefore = g_strSource.size();
  // The whole block in one chunk: the converter stops at its NUL, and a
  // block without one is finished as a text that ends there.
  const std::unique_ptr<qorvel::StreamConverter> converter = codec.make();
  const bool ended = !converter->Feed(*block, g_strSource);
  converter->Finish(g_strSource);
  // Nothing lost without a word: what the code dropped and where the text
  // ended, if more than the block's terminating NULs came after it.
  QStringList lost;
  const qorvel::Drops& drops = converter->Dropped();
  if (drops.count > 0)
    lost << QStringLiteral("有 %1 个字节无法转换，已略去（第一个在粘贴文本的%2）")
                .arg(drops.count)
                .arg(Place(*block, drops.first[0]));
  const std::uint64_t nul = converter->Consumed() - 1;
  if (ended && qorvel::EndsEarly(std::string_view(*block).substr(static_cast<std::size_t>(nul) + 1)))
    lost << QStringLiteral("粘贴文本在%1的 NUL 处结束，%2未转换")
                .arg(Place(*block, nul), BytesAfter(block->size() - nul - 1));
  if (!lost.isEmpty()) ShowStatus(lost.join(QStringLiteral("；")) + QStringLiteral("。"));
  NoteSourceChange(sizeBefore);
  LayoutText();
  Invalidate();
}

void CVelmarView::OnPasteMengkeliText() { PasteConverted(m_mengkeliPaste); }
void CVelmarView::OnPasteMingantuText() { PasteConverted(m_mingantuPaste); }
void CVelmarView::OnPasteWordText() { PasteConverted(m_wordFontPaste); }

void CVelmarView::PrintTo(QPrinter& printer) {
  QPainter painter;
  if (!painter.begin(&printer)) return;
  const QSize page = printer.pageLayout().paintRectPixels(printer.resolution()).size();
  ColumnPlacement place;
  {
    // Measured on the printer, with the font OnDraw will select there.
    CPainterDC measuring(painter, QRect(), true);
    CFont font;
    CreateDisplayFont(font);
    CFont* pOldFont = measuring.SelectObject(&font);
    place = PlaceColumns(&measuring, true);
    measuring.SelectObject(pOldFont);
  }
  // Every page is drawn by OnDraw, moved and clipped to that page's part.
  const std::vector<PrintPage> pages = CutIntoPages(place, page);
  for (std::size_t i = 0; i < pages.size(); ++i) {
    if (i > 0 && !printer.newPage()) break;
    painter.save();
    painter.translate(-pages[i].origin);
    painter.setClipRect(pages[i].part);
    CPainterDC dc(painter, pages[i].part, true);
    OnDraw(&dc);
    painter.restore();
  }
  painter.end();
}

QPrinter& CVelmarView::Printer(std::unique_ptr<QPrinter>& local) const {
  if (m_pDocument) return m_pDocument->Printer();
  local = std::make_unique<QPrinter>(QPrinter::ScreenResolution);
  return *local;
}

void CVelmarView::OnFilePrint() {
  std::unique_ptr<QPrinter> local;
  QPrinter& printer = Printer(local);
  if (!CurrentUi().PrintDialog(this, printer)) return;
  PrintTo(printer);
}

void CVelmarView::OnFilePrintDirect() {
  std::unique_ptr<QPrinter> local;
  PrintTo(Printer(local));
}

void CVelmarView::OnFilePrintPreview() {
  std::unique_ptr<QPrinter> local;
  CurrentUi().PrintPreview(this, Printer(local), [this](QPrinter& p) { PrintTo(p); });
}
