#include "platform/test_ui.h"

#include <QAction>
#include <QMenu>

#include "platform/clipboard.h"
#include "platform/dialog.h"

namespace qorvel::platform {

template <typename T>
static T TakeFront(std::deque<T>& queue, const T& otherwise) {
  if (queue.empty()) return otherwise;
  const T front = queue.front();
  queue.pop_front();
  return front;
}

void TestUi::MessageBox(QWidget*, const QString& text, const QString& caption) {
  m_messages.push_back({text, caption});
}

Answer TestUi::AskYesNoCancel(QWidget*, const QString& text, const QString& caption) {
  m_questions.push_back({text, caption});
  return TakeFront(m_questionAnswers, Answer::Cancel);
}

std::optional<QString> TestUi::GetOpenFileName(QWidget*, const QString& title,
                                               const std::vector<FileFilter>& filters) {
  m_fileRequests.push_back({false, title, filters});
  return TakeFront(m_openAnswers, std::optional<QString>());
}

std::optional<QString> TestUi::GetSaveFileName(QWidget*, const QString& title,
                                               const std::vector<FileFilter>& filters,
                                               const QString&) {
  m_fileRequests.push_back({true, title, filters});
  return TakeFront(m_saveAnswers, std::optional<QString>());
}

std::optional<FontChoice> TestUi::ChooseFont(QWidget*, const FontRequest& request) {
  m_fontRequests.push_back(request);
  return TakeFront(m_fontAnswers, std::optional<FontChoice>());
}

int TestUi::RunDialog(CDialog& dialog) {
  m_dialogs.push_back(dialog.Template().id);
  dialog.InitModal();
  if (auto script = TakeFront(m_dialogScripts, std::function<void(CDialog&)>())) script(dialog);
  if (!dialog.HasEnded()) dialog.ClickButton(IDCANCEL);
  if (!dialog.HasEnded()) dialog.EndDialog(IDCANCEL);
  return dialog.GetResult();
}

int TestUi::TrackPopupMenu(QMenu& menu, QPoint screenPos) {
  Popup popup{screenPos, {}};
  for (QAction* action : menu.actions())
    popup.entries.push_back({action->isSeparator() ? 0 : action->data().toInt(), action->text(),
                             action->isEnabled()});
  m_popups.push_back(std::move(popup));
  const int id = TakeFront(m_popupAnswers, 0);
  for (QAction* action : menu.actions())
    if (id != 0 && action->data().toInt() == id && action->isEnabled()) return id;
  return 0;
}

bool TestUi::PrintDialog(QWidget*, QPrinter&) {
  ++m_nPrintDialogs;
  return m_bPrintAnswer;
}

bool TestUi::PageSetupDialog(QWidget*, QPrinter&) { return false; }

void TestUi::PrintPreview(QWidget*, QPrinter& printer, const std::function<void(QPrinter&)>& paint) {
  ++m_nPreviews;
  paint(printer);
}

std::string ClipboardBytes() {
  std::size_t size = 0;
  if (!GetClipboardTextSize(size)) return "<none>";
  std::vector<char> buffer(size + 1);
  GetClipboardText(buffer.data(), size + 1);
  return std::string(buffer.data());
}

}  // namespace qorvel::platform
