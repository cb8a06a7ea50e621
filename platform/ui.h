#pragma once
// The modal user interface of our programs, behind one interface so that
// tests can answer it: message boxes, the open, save, font and print
// dialogs, our own dialogs (dialog.h) and pop-up menus. Code above
// platform/ calls these and never Qt's modal dialog classes itself.
//
//   using namespace qorvel::platform;
//   CurrentUi().MessageBox(this, "打开文件错!!!", "Qorvel蒙文软件:");
//   if (auto path = CurrentUi().GetOpenFileName(this, "打开文本文件",
//                                               {{"文本文件 (*.txt)", "*.txt"}}))
//     open(*path);
//
// CurrentUi() is a QtUi (real dialogs) unless a test has installed its own
// for a scope:
//   TestUi ui;                    // test_ui.h
//   ScopedUi use(ui);
//   ui.m_openAnswers.push_back("/tmp/a.txt");
//   ... run the command ...; check ui.m_messages

#include <QPoint>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QMenu;
class QPrinter;
class QWidget;

namespace qorvel::platform {

class CDialog;

struct FileFilter {
  QString label;    // e.g. "文本文件 (*.txt)"
  QString pattern;  // e.g. "*.txt"
};

// What the font dialog starts from: a face and a logical font height (the
// cell height in pixels; 0: the dialog's default).
struct FontRequest {
  QString face;
  int height = 0;
};

// The answer to a Yes / No / Cancel question.
enum class Answer { Yes, No, Cancel };

// What the user chose in the font dialog.
struct FontChoice {
  QString face;
  int pointSizeTenths = 0;  // 10.5 points: 105
};

class Ui {
 public:
  virtual ~Ui() = default;
  // A message box with only an OK button and no icon; returns once dismissed.
  virtual void MessageBox(QWidget* parent, const QString& text, const QString& caption) = 0;
  // A question with the standard Yes, No and Cancel buttons (Yes the
  // default; Escape or closing the box answers Cancel).
  virtual Answer AskYesNoCancel(QWidget* parent, const QString& text, const QString& caption) = 0;
  // The open-file dialog; nothing when cancelled.
  virtual std::optional<QString> GetOpenFileName(QWidget* parent, const QString& title,
                                                 const std::vector<FileFilter>& filters) = 0;
  // The save-file dialog (asks before overwriting); nothing when cancelled.
  virtual std::optional<QString> GetSaveFileName(QWidget* parent, const QString& title,
                                                 const std::vector<FileFilter>& filters,
                                                 const QString& initialName) = 0;
  // The font dialog listing screen fonts with the effects controls;
  // nothing when cancelled.
  virtual std::optional<FontChoice> ChooseFont(QWidget* parent, const FontRequest& request) = 0;
  // Runs `dialog` modally (after CDialog::InitModal); its result.
  virtual int RunDialog(CDialog& dialog) = 0;
  // Shows `menu` at `screenPos` until an entry is chosen or the menu is
  // dismissed; the chosen action's command id (its data()), 0 for none.
  virtual int TrackPopupMenu(QMenu& menu, QPoint screenPos) = 0;
  // The print dialog; true when the user asked to print.
  virtual bool PrintDialog(QWidget* parent, QPrinter& printer) = 0;
  // The page set-up dialog; true when accepted.
  virtual bool PageSetupDialog(QWidget* parent, QPrinter& printer) = 0;
  // Print preview: `paint` draws the pages onto the printer it is given.
  virtual void PrintPreview(QWidget* parent, QPrinter& printer,
                            const std::function<void(QPrinter&)>& paint) = 0;
};

// The Ui in force.
Ui& CurrentUi();

// Installs `ui` as the current Ui for its lifetime.
class ScopedUi {
 public:
  explicit ScopedUi(Ui& ui);
  ~ScopedUi();
  ScopedUi(const ScopedUi&) = delete;
  ScopedUi& operator=(const ScopedUi&) = delete;

 private:
  Ui* m_pPrevious;
};

// The real dialogs.
class QtUi final : public Ui {
 public:
  void MessageBox(QWidget* parent, const QString& text, const QString& caption) override;
  Answer AskYesNoCancel(QWidget* parent, const QString& text, const QString& caption) override;
  std::optional<QString> GetOpenFileName(QWidget* parent, const QString& title,
                                         const std::vector<FileFilter>& filters) override;
  std::optional<QString> GetSaveFileName(QWidget* parent, const QString& title,
                                         const std::vector<FileFilter>& filters,
                                         const QString& initialName) override;
  std::optional<FontChoice> ChooseFont(QWidget* parent, const FontRequest& request) override;
  int RunDialog(CDialog& dialog) override;
  int TrackPopupMenu(QMenu& menu, QPoint screenPos) override;
  bool PrintDialog(QWidget* parent, QPrinter& printer) override;
  bool PageSetupDialog(QWidget* parent, QPrinter& printer) override;
  void PrintPreview(QWidget* parent, QPrinter& printer,
                    const std::function<void(QPrinter&)>& paint) override;
};

// "label (pattern)" filter strings for Qt's file dialogs.
QString FilterString(const std::vector<FileFilter>& filters);

}  // namespace qorvel::platform
