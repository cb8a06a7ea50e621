#include "velmar/main_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include "platform/cp936.h"
#include "platform/dc.h"
#include "platform/keyboard.h"
#include "velmar/text_store.h"
#include "velmar/command_table.h"
#include "velmar/menus.h"
#include "velmar/resource.h"
#include "velmar/recent_files.h"
#include "velmar/velmar_doc.h"
#include "velmar/velmar_view.h"

namespace {

const MessageMapEntry<CMainFrame> kMessageMap[] = {
    {ID_VIEW_TOOLBAR, &CMainFrame::OnViewToolbar},
    {ID_VIEW_STATUS_BAR, &CMainFrame::OnViewStatusBar},
    {ID_NEXT_PANE, &CMainFrame::OnNextPane},
    {ID_PREV_PANE, &CMainFrame::OnPrevPane},
};

// A 16 x 16 picture of `glyph`, for buttons that neither the icon theme nor
// the style has a picture for.
QIcon GlyphIcon(const QString& glyph) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  QFont font = painter.font();
  font.setPixelSize(14);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(QColor(0x20, 0x40, 0x80));
  painter.drawText(pixmap.rect(), Qt::AlignCenter, glyph);
  return QIcon(pixmap);
}

QIcon ToolbarIcon(const velmar::ToolbarButton& button, const QStyle* style) {
  QIcon icon = QIcon::fromTheme(QString::fromUtf8(button.themeIcon));
  if (!icon.isNull()) return icon;
  if (button.standardPixmap != velmar::kNoPixmap) {
    icon = style->standardIcon(static_cast<QStyle::StandardPixmap>(button.standardPixmap));
    if (!icon.isNull()) return icon;
  }
  return GlyphIcon(QString::fromUtf8(button.glyph));
}

}  // namespace

CMainFrame::CMainFrame(CCmdTarget* pApp, CVelmarDoc* pDoc, CRecentFileList* pRecent)
    : m_pApp(pApp), m_pRecent(pRecent), m_pDoc(pDoc), m_pView(new CVelmarView(this, pDoc)) {
  setObjectName(QStringLiteral("CMainFrame"));
  setCentralWidget(m_pView);
  setAcceptDrops(true);
  resize(800, 600);
}

CMainFrame::~CMainFrame() { qApp->removeEventFilter(this); }

bool CMainFrame::OnCreate() {
  // Toolbar 128: dockable on any side, docked at the top.
  m_pToolBar = new QToolBar(QStringLiteral("Toolbar"), this);
  m_pToolBar->setObjectName(QStringLiteral("toolbar"));
  m_pToolBar->setIconSize(QSize(16, 15));
  m_pToolBar->setMovable(true);
  m_pToolBar->setFloatable(true);
  m_pToolBar->setAllowedAreas(Qt::AllToolBarAreas);
  for (const velmar::ToolbarButton& button : velmar::ToolbarButtons()) {
    if (button.id == 0) {
      m_pToolBar->addSeparator();
      continue;
    }
    QAction* action = velmar::MakeCommandAction(m_pToolBar, button.id, velmar::ToolTip(button.id), nullptr, *this);
    action->setIcon(ToolbarIcon(button, style()));
    connect(action, &QAction::triggered, this, [this, id = button.id] { OnCommand(id); });
    m_pToolBar->addAction(action);
    m_toolBarActions.push_back(action);
  }
  setDockOptions(dockOptions() | QMainWindow::AnimatedDocks);
  addToolBar(Qt::TopToolBarArea, m_pToolBar);

  // Status bar: the message pane and the three lock indicators.
  QStatusBar* bar = statusBar();
  m_pIdleLabel = new QLabel(QString::fromUtf8(velmar::kIdleMessage), bar);
  bar->addWidget(m_pIdleLabel, 1);
  for (QLabel** label : {&m_pCapsLabel, &m_pNumLabel, &m_pScrollLabel}) {
    *label = new QLabel(bar);
    (*label)->setAlignment(Qt::AlignCenter);
    (*label)->setFrameShape(QFrame::Panel);
    (*label)->setFrameShadow(QFrame::Sunken);
    (*label)->setMinimumWidth((*label)->fontMetrics().horizontalAdvance(QStringLiteral("大写")) + 12);
    bar->addPermanentWidget(*label);
  }
  // Without a face that has the Qorvel glyphs (the first and the last code
  // the converters write) every glyph is drawn as a box; say why, once.
  if (!qorvel::platform::FaceDrawsText(g_strFontFace, "\xF8\xA2\xF9\xA2")) {
    bar->showMessage(QStringLiteral("无法显示蒙文：字体“%1”没有安装或不含Qorvel蒙文字形，请安装该字体。")
                         .arg(qorvel::platform::DecodeCp936(g_strFontFace)));
    // The bar hides the idle text under a message only if it is already
    // shown; hide it as the bar would, so that it comes back when the
    // message is cleared.
    m_pIdleLabel->hide();
    m_pIdleLabel->setAttribute(Qt::WA_WState_ExplicitShowHide, false);
  }
  qApp->installEventFilter(this);

  // Menu 128.
  const auto menu = velmar::MainMenu();
  for (std::size_t i = 0; i < menu.size(); ++i) {
    if (menu[i].kind != velmar::MenuItemKind::Popup) continue;
    std::size_t end = i + 1;
    for (int depth = 1; end < menu.size(); ++end) {
      if (menu[end].kind == velmar::MenuItemKind::Popup) ++depth;
      if (menu[end].kind == velmar::MenuItemKind::EndPopup && --depth == 0) break;
    }
    QMenu* popup = menuBar()->addMenu(QString::fromUtf8(menu[i].label));
    const QList<QAction*> actions = velmar::FillMenu(*popup, menu.subspan(i + 1, end - i - 1), *this);
    for (QAction* action : actions) {
      const int id = action->data().toInt();
      connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
      if (id == ID_FILE_MRU_FILE1) m_pRecentPlaceholder = action;
      if (id == ID_VIEW_TOOLBAR || id == ID_VIEW_STATUS_BAR) {
        action->setCheckable(true);
        action->setChecked(true);
      }
    }
    m_menuActions += actions;
    connect(popup, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
    i = end;
  }
  connect(m_pToolBar, &QToolBar::visibilityChanged, this, [this] {
    if (QAction* a = FindMenuAction(ID_VIEW_TOOLBAR)) a->setChecked(!m_pToolBar->isHidden());
  });

  // Accelerator table 128.
  for (const velmar::Accelerator& accel : velmar::Accelerators()) {
    auto* shortcut = new QShortcut(QKeySequence(accel.key), this);
    shortcut->setProperty("commandId", accel.id);
    connect(shortcut, &QShortcut::activated, this, [this, id = accel.id] { OnCommand(id); });
  }

  connect(m_pDoc, &CVelmarDoc::TitleChanged, this, &CMainFrame::UpdateTitle);
  connect(m_pRecent, &CRecentFileList::Changed, this, &CMainFrame::UpdateRecentFileMenu);
  UpdateRecentFileMenu();
  UpdateCommandStates();
  UpdateTitle();
  m_pView->setFocus();
  return true;
}

bool CMainFrame::OnCmdMsg(int id, bool execute) {
  if (m_pView && m_pView->OnCmdMsg(id, execute)) return true;
  if (m_pDoc && m_pDoc->OnCmdMsg(id, execute)) return true;
  if (DispatchMessageMap<CMainFrame>(this, kMessageMap, id, execute)) return true;
  return m_pApp && m_pApp->OnCmdMsg(id, execute);
}

void CMainFrame::OnCommand(int id) {
  // A message shown at start gives way to the idle text at the first command.
  statusBar()->clearMessage();
  velmar::SendCommand(*this, id);
}

QAction* CMainFrame::FindMenuAction(int id) const {
  for (QAction* action : m_menuActions)
    if (action->data().toInt() == id) return action;
  return nullptr;
}

QStringList CMainFrame::GetStatusPaneTexts() const {
  const QString message = statusBar()->currentMessage();
  return {message.isEmpty() ? m_pIdleLabel->text() : message, m_pCapsLabel->text(), m_pNumLabel->text(),
          m_pScrollLabel->text()};
}

void CMainFrame::UpdateCommandStates() {
  for (const QList<QAction*>* list : {&m_menuActions, &m_toolBarActions, &m_recentActions})
    for (QAction* action : *list) action->setEnabled(OnCmdMsg(action->data().toInt(), false));
  if (m_pRecentPlaceholder) m_pRecentPlaceholder->setEnabled(false);
}

void CMainFrame::OnViewToolbar() {
  m_pToolBar->setVisible(m_pToolBar->isHidden());
  if (QAction* a = FindMenuAction(ID_VIEW_TOOLBAR)) a->setChecked(!m_pToolBar->isHidden());
}

void CMainFrame::OnViewStatusBar() {
  statusBar()->setVisible(statusBar()->isHidden());
  if (QAction* a = FindMenuAction(ID_VIEW_STATUS_BAR)) a->setChecked(!statusBar()->isHidden());
}

// The view is the frame's only pane.
void CMainFrame::OnNextPane() { m_pView->setFocus(Qt::TabFocusReason); }
void CMainFrame::OnPrevPane() { m_pView->setFocus(Qt::BacktabFocusReason); }

void CMainFrame::UpdateTitle() {
  setWindowTitle((m_pDoc->IsModified() ? QStringLiteral("*") : QString()) + m_pDoc->GetTitle() +
                 QStringLiteral(" - ") + QString::fromUtf8(velmar::kAppTitle));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (m_pDoc->SaveModified()) event->accept();
  else event->ignore();
}

void CMainFrame::UpdateRecentFileMenu() {
  if (!m_pRecentPlaceholder) return;
  for (QAction* action : m_recentActions) delete action;
  m_recentActions.clear();
  const QStringList files = m_pRecent->Files();
  QMenu* menu = qobject_cast<QMenu*>(m_pRecentPlaceholder->parent());
  for (int i = 0; i < files.size(); ++i) {
    const int id = ID_FILE_MRU_FILE1 + i;
    QAction* action = velmar::MakeCommandAction(
        menu, id, QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(files.at(i))), nullptr, *this);
    connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    if (menu) menu->insertAction(m_pRecentPlaceholder, action);
    m_recentActions.push_back(action);
  }
  m_pRecentPlaceholder->setVisible(files.isEmpty());
}

void CMainFrame::ShowLockState(QLabel* label, const char* text, bool on) {
  label->setText(on ? QString::fromUtf8(text) : QString());
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
    const qorvel::platform::LockKeyState state =
        qorvel::platform::LockKeysFromEvent(*static_cast<QKeyEvent*>(event));
    if (state.caps) ShowLockState(m_pCapsLabel, velmar::kIndicatorCaps, *state.caps);
    if (state.num) ShowLockState(m_pNumLabel, velmar::kIndicatorNum, *state.num);
    if (state.scroll) ShowLockState(m_pScrollLabel, velmar::kIndicatorScroll, *state.scroll);
  }
  return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
  if (OnDropFiles(event->mimeData()->urls())) event->acceptProposedAction();
}

bool CMainFrame::OnDropFiles(const QList<QUrl>& urls) {
  bool any = false;
  for (const QUrl& url : urls) {
    if (!url.isLocalFile()) continue;
    m_pView->OpenDocumentFile(url.toLocalFile());
    any = true;
  }
  return any;
}
