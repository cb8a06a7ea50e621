#pragma once
// Velmar's view: draws the wrapped text as vertical columns and carries the
// commands that bring text in and out. It holds no data: everything lives in
// the text store (velmar/text_store.h).

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "codec/registry.h"
#include "platform/scroll_view.h"
#include "velmar/cmd_target.h"

class CVelmarDoc;
class QPrinter;

using qorvel::platform::CDC;
using qorvel::platform::COLORREF;

class CVelmarView : public qorvel::platform::CScrollView, public CCmdTarget {
  Q_OBJECT

 public:
  // A view without a document (`pDoc` null) draws and runs its commands on
  // the text store alone: nothing asks to save, and it prints on a printer
  // of its own.
  explicit CVelmarView(QWidget* parent = nullptr, CVelmarDoc* pDoc = nullptr);

  // Rebuilds g_strWrapped and g_strWeb from g_strSource at g_nLineHeight.
  static void LayoutText();

  void OnInitialUpdate() override;
  void OnDraw(CDC* pDC) override;
  void DrawLine(CDC* pDC, int x, int y, std::string_view text, COLORREF color);
  void OnContextMenu(QWidget* pWnd, QPoint point) override;
  bool OnCmdMsg(int id, bool execute) override;

  // Where a file's text stopped short: the 0x00 or 0xFF byte that ended it,
  // with more than NULs after it.
  struct TextEnd {
    std::uint64_t offset = 0;
    unsigned char byte = 0;
    std::optional<std::uint64_t> after;  // bytes after it, when the file's size is known
  };
  // Appends the text of the file `path` to g_strSource: its bytes up to its
  // end or its first 0x00 or 0xFF byte (where that ended it early, `end`
  // says so). False, with the source text unchanged, when the file cannot
  // be read.
  static bool AppendTextFile(const QString& path, std::optional<TextEnd>* end = nullptr);
  // AppendTextFile, then lay out and redraw; a file that cannot be read is
  // reported ("打开文件错!!!") and the text stays as it was.
  bool OpenTextFile(const QString& path);
  // Open, for a file named by the user, the command line, a drop or the
  // recent-file list. Into an empty text the file becomes the document
  // (title, path, unchanged), after the user was asked to save the changes
  // of the document it replaces; into a non-empty text its text is appended
  // and the document stays the same, now changed. A file that cannot be
  // read is reported, and text and document stay as they were.
  bool OpenDocumentFile(const QString& path);
  CVelmarDoc* GetDocument() const { return m_pDocument; }
  // Prints the view's whole picture on as many pages as it takes, each page
  // painted by OnDraw clipped to its part; a column is not split between
  // pages unless it is wider than a page.
  void PrintTo(QPrinter& printer);

  // Command handlers.
  void OnNewText();
  void OnFileOpenText();
  void OnPastePlain();
  void OnCopyWeb();
  void OnCutWeb();
  void OnCopyAll();
  void OnCopyHtml();
  void OnRelayout();
  void OnChooseFont();
  void OnSetLineHeight();
  void OnPasteMengkeliText();
  void OnPasteMingantuText();
  void OnPasteWordText();
  void OnFilePrint();
  void OnFilePrintDirect();
  void OnFilePrintPreview();

 private:
  // The document's printer, or one made in `local` without a document.
  QPrinter& Printer(std::unique_ptr<QPrinter>& local) const;

  CVelmarDoc* m_pDocument;
  // The three paste commands' codes, looked up when the view is made so that
  // a registry without one stops Velmar at its start.
  const qorvel::Codec& m_mengkeliPaste;
  const qorvel::Codec& m_mingantuPaste;
  const qorvel::Codec& m_wordFontPaste;
  // Appends the clipboard block converted by `codec` (a paste code, which
  // ends the text at the block's first NUL) to the source text.
  void PasteConverted(const qorvel::Codec& codec);
  // Says `text` in the frame's status bar until the next command.
  void ShowStatus(const QString& text);
  // Marks the document changed when the source text is no longer
  // `sizeBefore` bytes long (commands only append to it or empty it).
  void NoteSourceChange(std::size_t sizeBefore);
};

