#include "velmar/recent_files.h"

#include <QFileInfo>
#include <QSettings>

#include "velmar/resource.h"

namespace {
const char* const kRecentFileSection = "Recent File List";
}  // namespace

void CRecentFileList::Load() {
  QSettings settings;
  settings.beginGroup(QString::fromUtf8(kRecentFileSection));
  m_files.clear();
  for (int i = 1; i <= kMaxRecentFiles; ++i) {
    const QString file = settings.value(QStringLiteral("File%1").arg(i)).toString();
    if (!file.isEmpty()) m_files.append(file);
  }
  emit Changed();
}

void CRecentFileList::Add(const QString& path) {
  const QString full = QFileInfo(path).absoluteFilePath();
  m_files.removeAll(full);
  m_files.prepend(full);
  while (m_files.size() > kMaxRecentFiles) m_files.removeLast();
  Save();
  emit Changed();
}

void CRecentFileList::Remove(const QString& path) {
  if (m_files.removeAll(QFileInfo(path).absoluteFilePath()) == 0) return;
  Save();
  emit Changed();
}

void CRecentFileList::Save() const {
  QSettings settings;
  settings.beginGroup(QString::fromUtf8(kRecentFileSection));
  for (int i = 1; i <= kMaxRecentFiles; ++i) {
    const QString key = QStringLiteral("File%1").arg(i);
    if (i <= m_files.size()) settings.setValue(key, m_files.at(i - 1));
    else settings.remove(key);
  }
}
