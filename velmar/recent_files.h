#pragma once
// Velmar's recent-file list: up to kMaxRecentFiles absolute paths, newest
// first, kept with QSettings (organisation "Local AppWizard-Generated
// Applications", application "Velmar", section "Recent File List") so that
// it outlives the run. The frame shows it; the application and the view
// add and drop files as they are opened.

#include <QObject>
#include <QStringList>

class CRecentFileList : public QObject {
  Q_OBJECT

 public:
  // Reads the list kept by earlier runs.
  void Load();
  const QStringList& Files() const { return m_files; }
  // Puts `path` at the top (once), dropping the oldest beyond the limit.
  void Add(const QString& path);
  void Remove(const QString& path);

 signals:
  void Changed();

 private:
  void Save() const;

  QStringList m_files;
};
