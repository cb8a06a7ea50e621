#pragma once
// A Ui for tests: records what would have been shown and answers from
// queues the test fills beforehand. An empty queue answers as a user who
// cancels (no file, no font, no menu entry, no printing, Cancel to a
// question).
//
//   TestUi ui;
//   ScopedUi use(ui);
//   ui.m_dialogScripts.push_back([](CDialog& dlg) {
//     dlg.SetDlgItemText(1000, "abc");
//     QVERIFY(!dlg.ClickButton(IDOK));     // refused: stays open
//     dlg.SetDlgItemText(1000, "200");
//     QVERIFY(dlg.ClickButton(IDOK));
//   });
//   view.OnSetLineHeight();
//   QCOMPARE(ui.m_messages.size(), 1u);

#include <QPoint>
#include <QString>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace qorvel::platform {

class TestUi final : public Ui {
 public:
  struct Message {
    QString text;
    QString caption;
  };
  struct FileRequest {
    bool save;
    QString title;
    std::vector<FileFilter> filters;
  };
  struct MenuEntry {
    int id;  // 0 for a separator
    QString text;
    bool enabled;
  };
  struct Popup {
    QPoint pos;
    std::vector<MenuEntry> entries;
  };

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

  // What was shown.
  std::vector<Message> m_messages;
  std::vector<Message> m_questions;  // Yes / No / Cancel questions asked
  std::vector<FileRequest> m_fileRequests;
  std::vector<FontRequest> m_fontRequests;
  std::vector<int> m_dialogs;  // template ids of the dialogs run
  std::vector<Popup> m_popups;
  int m_nPrintDialogs = 0;
  int m_nPreviews = 0;

  // The answers, first in first out.
  std::deque<Answer> m_questionAnswers;
  std::deque<std::optional<QString>> m_openAnswers;
  std::deque<std::optional<QString>> m_saveAnswers;
  std::deque<std::optional<FontChoice>> m_fontAnswers;
  // Each script drives one dialog (ClickButton, SetDlgItemText...); a
  // dialog still open when its script returns is cancelled. No script:
  // the dialog is cancelled at once.
  std::deque<std::function<void(CDialog&)>> m_dialogScripts;
  std::deque<int> m_popupAnswers;  // command ids; 0 dismisses
  bool m_bPrintAnswer = false;
};

// The clipboard's text as the commands read it (GetClipboardText: the bytes
// up to the first NUL), or "<none>" when it holds no text.
std::string ClipboardBytes();

}  // namespace qorvel::platform
