#pragma once
// Velmar's application object: start-up, the one document, main frame and
// view, the recent-file list, print setup, About and Exit.

#include <QObject>
#include <QStringList>
#include <memory>

#include "velmar/cmd_target.h"
#include "velmar/recent_files.h"

class CMainFrame;
class CVelmarDoc;
class CVelmarView;

class CVelmarApp : public QObject, public CCmdTarget {
  Q_OBJECT

 public:
  CVelmarApp();
  ~CVelmarApp() override;

  // Creates the document, the main frame and the view, opens the files
  // named in `files` in order (as Open does) and shows the main window. False when
  // the frame cannot be created.
  bool InitInstance(const QStringList& files, bool show = true);

  bool OnCmdMsg(int id, bool execute) override;
  void OnAppAbout();
  void OnAppExit();
  void OnFilePrintSetup();

  // Open, as the view's OpenDocumentFile does. The file goes to the top of
  // the recent-file list; a file that cannot be read leaves it.
  bool OpenDocumentFile(const QString& path);

  QStringList GetRecentFiles() const { return m_recentFiles.Files(); }

  CMainFrame* GetMainWnd() const { return m_pMainWnd.get(); }
  CVelmarDoc* GetDocument() const { return m_pDoc.get(); }
  CVelmarView* GetView() const;

 private:
  CRecentFileList m_recentFiles;
  std::unique_ptr<CVelmarDoc> m_pDoc;
  std::unique_ptr<CMainFrame> m_pMainWnd;
};

inline constexpr const char* kRegistryKey = "Local AppWizard-Generated Applications";
