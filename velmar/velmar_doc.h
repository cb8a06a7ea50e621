#pragma once
// Velmar's document: a title, a path and whether the text changed since it
// was last opened or saved. The text itself lives in the text store; Save
// and Save As write the source text (g_strSource) as it is. The path is
// always the file Save writes: an untitled document (after start-up or New)
// has none, and Save asks for a name.

#include <QObject>
#include <QString>
#include <memory>
#include <string_view>

#include "velmar/cmd_target.h"

class QPrinter;

class CVelmarDoc : public QObject, public CCmdTarget {
  Q_OBJECT

 public:
  CVelmarDoc();
  ~CVelmarDoc() override;

  bool OnCmdMsg(int id, bool execute) override;
  // Makes the document untitled and unchanged.
  bool OnNewDocument();

  const QString& GetTitle() const { return m_strTitle; }
  const QString& GetPathName() const { return m_strPathName; }
  // Names the document after `path` (title: the file name).
  void SetPathName(const QString& path);

  // Set by every command that changes the source text; cleared by open,
  // save and new.
  bool IsModified() const { return m_bModified; }
  void SetModifiedFlag(bool modified = true);
  // Before the text is dropped (new, close, a file replacing the document):
  // asks whether to save a changed text. True when the caller may go on
  // (saved, discarded, or nothing to save); false on Cancel or when the
  // save was cancelled or failed.
  bool SaveModified();

  void OnFileSave();
  void OnFileSaveAs();
  // Writes the laid-out text as a whole HTML document, atomically; the
  // document's own name and state stay as they are.
  void OnSaveHtml();
  // Save (through Save As when untitled) and Save As; false when the name
  // was not given or the file could not be written.
  bool DoFileSave();
  bool DoSaveAs();
  // Writes the source text to `path` atomically; reports a failure.
  bool DoSave(const QString& path);
  // Writes `bytes` to `path` atomically and durably; a failure is reported
  // in a message box.
  bool WriteReported(const QString& path, std::string_view bytes);

  // After the file `path` was opened into the text: when it replaced an
  // empty text it becomes the document (title, path, unchanged).
  void OnFileOpened(const QString& path, bool becameDocument);
  // The file `path` could not be read.
  void OnFileUnreadable(const QString& path);

  // The printer of print, preview and print setup, kept for the run.
  QPrinter& Printer();

 signals:
  void TitleChanged();
  // A file was saved or opened (for the recent-file list).
  void FileUsed(const QString& path);
  void FileUnreadable(const QString& path);

 private:
  QString m_strTitle;
  QString m_strPathName;
  bool m_bModified = false;
  std::unique_ptr<QPrinter> m_pPrinter;
};

inline constexpr const char* kSaveErrorText = "保存文件错!!!";
// The save question; %1 is the document's title.
inline constexpr const char* kSaveChangesText = "是否保存对“%1”的更改？";
