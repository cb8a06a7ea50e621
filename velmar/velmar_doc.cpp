#include "velmar/velmar_doc.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>

#include "fileio/files.h"
#include "platform/failure_text.h"
#include "platform/file_names.h"
#include "platform/ui.h"
#include "velmar/text_store.h"
#include "velmar/command_table.h"
#include "velmar/resource.h"

using namespace qorvel::platform;

namespace {

const MessageMapEntry<CVelmarDoc> kMessageMap[] = {
    {ID_FILE_SAVE, &CVelmarDoc::OnFileSave},
    {ID_FILE_SAVE_AS, &CVelmarDoc::OnFileSaveAs},
    {ID_SAVE_HTML, &CVelmarDoc::OnSaveHtml},
};

}  // namespace

CVelmarDoc::CVelmarDoc() : m_strTitle(QString::fromUtf8(velmar::kDocTitle)) {}

CVelmarDoc::~CVelmarDoc() = default;

void CVelmarDoc::OnFileOpened(const QString& path, bool becameDocument) {
  if (becameDocument) {
    SetPathName(path);
    SetModifiedFlag(false);
  }
  emit FileUsed(path);
}

void CVelmarDoc::OnFileUnreadable(const QString& path) { emit FileUnreadable(path); }

QPrinter& CVelmarDoc::Printer() {
  if (!m_pPrinter) m_pPrinter = std::make_unique<QPrinter>(QPrinter::ScreenResolution);
  return *m_pPrinter;
}

bool CVelmarDoc::OnCmdMsg(int id, bool execute) {
  return DispatchMessageMap<CVelmarDoc>(this, kMessageMap, id, execute);
}

bool CVelmarDoc::OnNewDocument() {
  m_strPathName.clear();
  m_strTitle = QString::fromUtf8(velmar::kDocTitle);
  m_bModified = false;
  emit TitleChanged();
  return true;
}

void CVelmarDoc::SetPathName(const QString& path) {
  m_strPathName = QFileInfo(path).absoluteFilePath();
  m_strTitle = QFileInfo(path).fileName();
  emit TitleChanged();
}

void CVelmarDoc::SetModifiedFlag(bool modified) {
  if (m_bModified == modified) return;
  m_bModified = modified;
  emit TitleChanged();
}

bool CVelmarDoc::SaveModified() {
  // An untitled empty text has nothing worth keeping.
  if (!m_bModified || (m_strPathName.isEmpty() && g_strSource.empty())) return true;
  switch (CurrentUi().AskYesNoCancel(QApplication::activeWindow(),
                                     QString::fromUtf8(kSaveChangesText).arg(m_strTitle),
                                     QString::fromUtf8(kMessageCaption))) {
    case Answer::Yes:
      return DoFileSave();
    case Answer::No:
      return true;
    case Answer::Cancel:
      break;
  }
  return false;
}

void CVelmarDoc::OnFileSave() { DoFileSave(); }
void CVelmarDoc::OnFileSaveAs() { DoSaveAs(); }

bool CVelmarDoc::DoFileSave() {
  return m_strPathName.isEmpty() ? DoSaveAs() : DoSave(m_strPathName);
}

bool CVelmarDoc::DoSaveAs() {
  QWidget* parent = QApplication::activeWindow();
  const std::optional<QString> path = CurrentUi().GetSaveFileName(
      parent, QStringLiteral("另存为"),
      {{QStringLiteral("文本文件 (*.txt)"), QStringLiteral("*.txt")},
       {QStringLiteral("所有文件 (*.*)"), QStringLiteral("*")}},
      m_strPathName.isEmpty() ? m_strTitle : m_strPathName);
  return path && DoSave(*path);
}

void CVelmarDoc::OnSaveHtml() {
  // The document's name with .html for its extension.
  const QFileInfo named(m_strPathName);
  const QString suggested = m_strPathName.isEmpty()
                                ? m_strTitle + QStringLiteral(".html")
                                : named.dir().filePath(named.completeBaseName() + QStringLiteral(".html"));
  const std::optional<QString> path = CurrentUi().GetSaveFileName(
      QApplication::activeWindow(), QStringLiteral("另存为网页"),
      {{QStringLiteral("网页文件 (*.html)"), QStringLiteral("*.html")},
       {QStringLiteral("所有文件 (*.*)"), QStringLiteral("*")}},
      suggested);
  if (path) WriteReported(*path, VelmarHtml(false));
}

bool CVelmarDoc::WriteReported(const QString& path, std::string_view bytes) {
  try {
    qorvel::WriteAll(qorvel::platform::FileNameBytes(path), bytes);
  } catch (const qorvel::IoError& e) {
    CurrentUi().MessageBox(QApplication::activeWindow(),
                           QString::fromUtf8(kSaveErrorText) + QLatin1Char('\n') + FailureText(e),
                           QString::fromUtf8(kMessageCaption));
    return false;
  }
  return true;
}

bool CVelmarDoc::DoSave(const QString& path) {
  if (!WriteReported(path, g_strSource)) return false;
  m_bModified = false;
  SetPathName(path);
  emit FileUsed(m_strPathName);
  return true;
}
