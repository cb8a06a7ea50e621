#include "velmar/ui/velmar_view.h"

#include <QFile>
#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "fileio/files.h"
#include "codec/mengkeli_paste.h"
#include "platform/clipboard.h"
#include "platform/cp936.h"
#include "platform/ui.h"
#include "layout/layout.h"
#include "codec/mingantu.h"
#include "velmar/text_store.h"
#include "codec/wordfont.h"
#include "velmar/ui/line_height_dlg.h"
#include "velmar/ui/menus.h"
#include "velmar/ui/resource.h"
#include "velmar/ui/velmar_app.h"
#include "velmar/ui/velmar_doc.h"

using namespace qorvel::platform;

namespace {

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

}  // namespace

CVelmarView::CVelmarView(QWidget* parent) : CScrollView(parent) {
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
  font.CreateFont(static_cast<std::int32_t>(std::clamp(g_nFontSize * 2.5, -1e9, 1e9)), g_nFontSize, kEscapementDown, 0,
                  kWeightNormal, false, false, false, DEFAULT_CHARSET, OUT_STRING_PRECIS,
                  CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH, g_strFontFace);
  CFont* pOldFont = pDC->SelectObject(&font);

  // Every line of the wrapped text is one column; only the columns that can
  // reach the area being painted are drawn. A column's cell lies left of its
  // x, about one font height wide.
  const QRect clip = pDC->GetClipBox();
  const long long cell = std::max<long long>(std::llabs(static_cast<long long>(g_nFontSize) * 5 / 2), 1);
  const long long spacing = 3LL * g_nFontSize;
  long long n = 0;
  std::size_t start = 0;
  const std::string& wrapped = g_strWrapped;
  for (;;) {
    const std::size_t cr = wrapped.find('\r', start);
    if (cr == std::string::npos) break;
    const long long x = spacing * n + 50;
    if (!clip.isEmpty() && x + 2 * cell >= clip.left() && x - 3 * cell <= clip.right())
      DrawLine(pDC, static_cast<int>(x), 10, std::string_view(wrapped).substr(start, cr - start),
               RGB(0, 0, 0));
    ++n;
    start = cr + 2;  // the LF after the CR
  }

  pDC->SelectObject(pOldFont);
  SetScrollSizes(MM_TEXT, QSize(ClampExtent(spacing * n + 100),
                                ClampExtent(static_cast<long long>(g_nLineHeight) + 150)));
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

bool CVelmarView::AppendTextFile(const QString& path) {
  if (path.isEmpty()) return false;
  std::string name = QFile::encodeName(path).toStdString();
  if (qorvel::IsStdStream(name)) name = "./" + name;  // a file named "-"
  std::string text;
  try {
    qorvel::InputFile file(name);
    std::vector<char> chunk(1 << 16);
    for (;;) {
      const std::size_t n = file.Read(chunk.data(), chunk.size());
      if (n == 0) break;
      const char* begin = chunk.data();
      const char* end = begin + n;
      const char* stop = std::find_if(begin, end, [](char c) {
        return c == '\0' || static_cast<unsigned char>(c) == 0xFF;
      });
      text.append(begin, stop);
      if (stop != end) break;
    }
  } catch (const qorvel::IoError&) {
    return false;
  }
  g_strSource += text;
  return true;
}

bool CVelmarView::OpenTextFile(const QString& path) {
  const std::size_t sizeBefore = g_strSource.size();
  if (!AppendTextFile(path)) {
    CurrentUi().MessageBox(this, QString::fromUtf8(kOpenErrorText), QString::fromUtf8(kMessageCaption));
    return false;
  }
  NoteSourceChange(sizeBefore);
  LayoutText();
  Invalidate();
  return true;
}

CVelmarDoc* CVelmarView::GetDocument() const {
  const CVelmarApp* app = CVelmarApp::Instance();
  return app && app->GetView() == this ? app->GetDocument() : nullptr;
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
  // The application decides whether the file becomes the document.
  if (GetDocument()) CVelmarApp::Instance()->OpenDocumentFile(*path);
  else OpenTextFile(*path);
}

void CVelmarView::OnPastePlain() {
  std::size_t size = 0;
  if (!GetClipboardTextSize(size)) return;
  std::vector<char> buffer(size + 1);
  GetClipboardText(buffer.data(), size + 1);
  const std::size_t sizeBefore = g_strSource.size();
  g_strSource.append(buffer.data(), strnlen(buffer.data(), size > 0 ? size - 1 : 0));
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

void CVelmarView::PasteConverted(PasteConverter convert) {
  std::size_t size = 0;
  if (!GetClipboardTextSize(size)) return;
  std::vector<char> buffer(size + 1);
  GetClipboardText(buffer.data(), size + 1);
  const std::size_t sizeBefore = g_strSource.size();
  convert(std::string_view(buffer.data(), size), g_strSource);
  NoteSourceChange(sizeBefore);
  LayoutText();
  Invalidate();
}

void CVelmarView::OnPasteMengkeliText() { PasteConverted(&qorvel::ConvertMengkeliPaste); }
void CVelmarView::OnPasteMingantuText() { PasteConverted(&qorvel::ConvertMingantuPaste); }
void CVelmarView::OnPasteWordText() { PasteConverted(&qorvel::ConvertWordFontPaste); }

void CVelmarView::PrintTo(QPrinter& printer) {
  QPainter painter;
  if (!painter.begin(&printer)) return;
  const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
  CPainterDC dc(painter, QRect(QPoint(0, 0), page.size()), true);
  OnDraw(&dc);
  painter.end();
}

void CVelmarView::OnFilePrint() {
  std::unique_ptr<QPrinter> local;
  QPrinter& printer = CVelmarApp::Printer(local);
  if (!CurrentUi().PrintDialog(this, printer)) return;
  PrintTo(printer);
}

void CVelmarView::OnFilePrintDirect() {
  std::unique_ptr<QPrinter> local;
  PrintTo(CVelmarApp::Printer(local));
}

void CVelmarView::OnFilePrintPreview() {
  std::unique_ptr<QPrinter> local;
  CurrentUi().PrintPreview(this, CVelmarApp::Printer(local), [this](QPrinter& p) { PrintTo(p); });
}
