#pragma once
// Velmar's application object: start-up, the one document, main frame and
// view, the recent-file list (kept with QSettings under the organisation
// "Local AppWizard-Generated Applications", application "Velmar"), the
// printer, About and Exit.

#include <QObject>
#include <QStringList>
#include <memory>

#include "velmar/cmd_target.h"

class CMainFrame;
class CVelmarDoc;
class CVelmarView;
class QPrinter;

class CVelmarApp : public QObject, public CCmdTarget {
  Q_OBJECT

 public:
  CVelmarApp();
  ~CVelmarApp() override;

  // Creates the document, the main frame and the view, opens the files
  // named in `files` in order (as Open does) and shows the main window. False when
  // the frame cannot be created.
  bool InitInstance(const QStringList& files, bool show = true);

  static CVelmarApp* Instance();
  // The application's printer, or one made in `local` when there is no
  // application object.
  static QPrinter& Printer(std::unique_ptr<QPrinter>& local);

  bool OnCmdMsg(int id, bool execute) override;
  void OnAppAbout();
  void OnAppExit();
  void OnFilePrintSetup();

  // Open, for a file named by the user, the command line, a drop or the
  // recent-file list. Into an empty text the file becomes the document
  // (title, path, unchanged), after the user was asked to save the changes
  // of the document it replaces; into a non-empty text its text is appended
  // and the document stays the same, now changed. Either way the file goes
  // to the top of the recent-file list. A file that cannot be read is
  // reported, dropped from the list, and text and document stay as they were.
  bool OpenDocumentFile(const QString& path);

  QStringList GetRecentFiles() const { return m_recentFiles; }
  void AddToRecentFileList(const QString& path);
  void RemoveFromRecentFileList(const QString& path);

  CMainFrame* GetMainWnd() const { return m_pMainWnd.get(); }
  CVelmarDoc* GetDocument() const { return m_pDoc.get(); }
  CVelmarView* GetView() const;

 signals:
  void RecentFilesChanged();

 private:
  void LoadStdProfileSettings();
  void SaveRecentFileList() const;

  std::unique_ptr<CVelmarDoc> m_pDoc;
  std::unique_ptr<CMainFrame> m_pMainWnd;
  std::unique_ptr<QPrinter> m_pPrinter;
  QStringList m_recentFiles;
};

inline constexpr const char* kRegistryKey = "Local AppWizard-Generated Applications";
