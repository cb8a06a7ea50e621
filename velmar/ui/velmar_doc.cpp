#include "velmar/ui/velmar_doc.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include "fileio/files.h"
#include "platform/ui.h"
#include "velmar/text_store.h"
#include "velmar/ui/command_table.h"
#include "velmar/ui/resource.h"
#include "velmar/ui/velmar_view.h"

using namespace qorvel::platform;

namespace {

const MessageMapEntry<CVelmarDoc> kMessageMap[] = {
    {ID_FILE_SAVE, &CVelmarDoc::OnFileSave},
    {ID_FILE_SAVE_AS, &CVelmarDoc::OnFileSaveAs},
};

}  // namespace

CVelmarDoc::CVelmarDoc() : m_strTitle(QString::fromUtf8(velmar::kDocTitle)) {}

bool CVelmarDoc::OnCmdMsg(int id, bool execute) {
  return DispatchMessageMap<CVelmarDoc>(this, kMessageMap, id, execute);
}

bool CVelmarDoc::OnNewDocument() {
  m_strPathName.clear();
  m_strTitle = QString::fromUtf8(velmar::kDocTitle);
  emit TitleChanged();
  return true;
}

void CVelmarDoc::SetPathName(const QString& path) {
  m_strPathName = QFileInfo(path).absoluteFilePath();
  m_strTitle = QFileInfo(path).fileName();
  emit TitleChanged();
}

void CVelmarDoc::OnFileSave() {
  if (m_strPathName.isEmpty()) OnFileSaveAs();
  else DoSave(m_strPathName);
}

void CVelmarDoc::OnFileSaveAs() {
  QWidget* parent = QApplication::activeWindow();
  const std::optional<QString> path = CurrentUi().GetSaveFileName(
      parent, QStringLiteral("另存为"),
      {{QStringLiteral("文本文件 (*.txt)"), QStringLiteral("*.txt")},
       {QStringLiteral("所有文件 (*.*)"), QStringLiteral("*")}},
      m_strPathName.isEmpty() ? m_strTitle : m_strPathName);
  if (!path) return;
  DoSave(*path);
}

bool CVelmarDoc::DoSave(const QString& path) {
  std::string name = QFile::encodeName(path).toStdString();
  if (qorvel::IsStdStream(name)) name = "./" + name;
  try {
    qorvel::WriteAll(name, g_strSource);
  } catch (const qorvel::IoError& e) {
    CurrentUi().MessageBox(QApplication::activeWindow(),
                           QString::fromUtf8(kSaveErrorText) + QLatin1Char('\n') + QString::fromLocal8Bit(e.what()),
                           QString::fromUtf8(kMessageCaption));
    return false;
  }
  SetPathName(path);
  emit PathSaved(m_strPathName);
  return true;
}
