#pragma once
// Velmar's main frame: menus, a dockable toolbar, the status bar with the
// lock indicators, the accelerators, all built from the command table, and
// the view as its client. Commands are routed view, document, frame,
// application; a command none of them handles is disabled. The title names
// the document (the file Save writes), with "*" before it while the text
// has unsaved changes; closing asks to save them.

#include <QList>
#include <QMainWindow>
#include <QUrl>

#include "velmar/cmd_target.h"

class CRecentFileList;
class CVelmarDoc;
class CVelmarView;
class QAction;
class QLabel;
class QShortcut;
class QToolBar;

class CMainFrame : public QMainWindow, public CCmdTarget {
  Q_OBJECT

 public:
  // `pApp` ends the command route; `pRecent` is the list the File menu shows.
  CMainFrame(CCmdTarget* pApp, CVelmarDoc* pDoc, CRecentFileList* pRecent);
  ~CMainFrame() override;

  // Builds the toolbar, status bar, menus and accelerators; false on failure.
  bool OnCreate();
  bool OnCmdMsg(int id, bool execute) override;
  // Runs command `id` along the route when some handler takes it.
  void OnCommand(int id);

  CVelmarView* GetActiveView() const { return m_pView; }
  QToolBar* GetToolBar() const { return m_pToolBar; }
  // The menu-bar action of command `id` (the first, for the recent files).
  QAction* FindMenuAction(int id) const;
  const QList<QAction*>& GetToolBarActions() const { return m_toolBarActions; }
  // The texts shown in the four status-bar panes, left to right.
  QStringList GetStatusPaneTexts() const;
  // Enables every menu and toolbar entry by the presence of its handler.
  void UpdateCommandStates();

  // Files dropped on the window are opened as Open does, in order.
  bool OnDropFiles(const QList<QUrl>& urls);

  void OnViewToolbar();
  void OnViewStatusBar();
  void OnNextPane();
  void OnPrevPane();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void UpdateTitle();
  void UpdateRecentFileMenu();
  void ShowLockState(QLabel* label, const char* text, bool on);

  CCmdTarget* m_pApp;
  CRecentFileList* m_pRecent;
  CVelmarDoc* m_pDoc;
  CVelmarView* m_pView;
  QToolBar* m_pToolBar = nullptr;
  QLabel* m_pIdleLabel = nullptr;
  QLabel* m_pCapsLabel = nullptr;
  QLabel* m_pNumLabel = nullptr;
  QLabel* m_pScrollLabel = nullptr;
  QAction* m_pRecentPlaceholder = nullptr;
  QList<QAction*> m_menuActions;
  QList<QAction*> m_toolBarActions;
  QList<QAction*> m_recentActions;
};
