#pragma once
// Velmar's document: a title and a path. The text itself lives in the text
// store; Save and Save As write the source text (g_strSource) as it is.

#include <QObject>
#include <QString>

#include "velmar/ui/cmd_target.h"

class CVelmarDoc : public QObject, public CCmdTarget {
  Q_OBJECT

 public:
  CVelmarDoc();

  bool OnCmdMsg(int id, bool execute) override;
  bool OnNewDocument();

  const QString& GetTitle() const { return m_strTitle; }
  const QString& GetPathName() const { return m_strPathName; }
  // Names the document after `path` (title: the file name).
  void SetPathName(const QString& path);

  void OnFileSave();
  void OnFileSaveAs();
  // Writes the source text to `path` atomically; reports a failure.
  bool DoSave(const QString& path);

 signals:
  void TitleChanged();
  void PathSaved(const QString& path);

 private:
  QString m_strTitle;
  QString m_strPathName;
};

inline constexpr const char* kSaveErrorText = "保存文件错!!!";
