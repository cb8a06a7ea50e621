#include "convdialog/conv_dialog.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <algorithm>
#include <climits>

#include "convdialog/system_menu.h"
#include "fileio/interrupt.h"
#include "platform/ui.h"

using namespace qorvel::platform;

namespace {

struct CommandEntry {
  int id;
  void (CConvDialog::*handler)();
};

// BN_CLICKED of the browse buttons.
const CommandEntry kMessageMap[] = {
    {IDC_BROWSE_INPUT, &CConvDialog::OnBrowseInput},
    {IDC_BROWSE_OUTPUT, &CConvDialog::OnBrowseOutput},
};

std::vector<FileFilter> Filters(const std::vector<ConvFileFilter>& filters) {
  std::vector<FileFilter> result;
  for (const ConvFileFilter& f : filters)
    result.push_back({QString::fromUtf8(f.label), QString::fromUtf8(f.pattern)});
  return result;
}

}  // namespace

QIcon LoadProgramIcon(const ConvDialogProfile& profile) {
  QIcon icon;
  icon.addPixmap(QPixmap(profile.icon32));
  icon.addPixmap(QPixmap(profile.icon16));
  return icon;
}

void InitConvApplication(const ConvDialogProfile& profile) {
  QApplication::setApplicationName(QString::fromUtf8(profile.appName));
  QApplication::setApplicationVersion(QString::fromUtf8(profile.version));
  QApplication::setWindowIcon(LoadProgramIcon(profile));
  qorvel::InstallInterruptCleanup();
}

QString FileArgument(const QStringList& arguments) {
  QString arg = arguments.value(1);
  const auto trimmed = [](QChar c) { return c.isSpace() || c == QLatin1Char('"'); };
  while (!arg.isEmpty() && trimmed(arg.front())) arg.remove(0, 1);
  while (!arg.isEmpty() && trimmed(arg.back())) arg.chop(1);
  return arg;
}

CConvDialog::CConvDialog(const ConvDialogProfile& profile, QWidget* pParent)
    : CDialog(profile.mainDialog, pParent), m_hIcon(LoadProgramIcon(profile)), m_profile(profile) {}

void CConvDialog::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_PROGRESS, m_progress);
}

bool CConvDialog::OnInitDialog() {
  CDialog::OnInitDialog();

  // The About item: in the system menu where there is one; the context
  // menu and F1 offer it in any case.
  const QString strAboutMenu = QString::fromUtf8(m_profile.aboutMenuItem);
  if (!strAboutMenu.isEmpty()) AppendSystemMenuItem(*this, IDM_ABOUTBOX, strAboutMenu);

  setWindowIcon(m_hIcon);  // big and small icon

  // A file named on the command line (as a desktop entry passes it) is the
  // input.
  const QString strInput = FileArgument(GetProgramArguments());
  if (!strInput.isEmpty()) SetDlgItemText(IDC_INPUT, strInput);
  return true;
}

QStringList CConvDialog::GetProgramArguments() const { return QCoreApplication::arguments(); }

void CConvDialog::OnCommand(int id) {
  for (const CommandEntry& entry : kMessageMap)
    if (entry.id == id) (this->*entry.handler)();
}

void CConvDialog::OnSysCommand(unsigned nID, std::intptr_t) {
  if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
    CAboutDlg dlgAbout(m_profile, this);
    dlgAbout.DoModal();
  }
  // Other system commands are the window system's own.
}

void CConvDialog::OnPaint() {
  // Minimised: the icon, centred in the client area.
  QPainter dc(this);
  dc.fillRect(rect(), palette().window());
  const int cxIcon = style()->pixelMetric(QStyle::PM_LargeIconSize);
  const int cyIcon = cxIcon;
  const int x = (width() - cxIcon + 1) / 2;
  const int y = (height() - cyIcon + 1) / 2;
  m_hIcon.paint(&dc, x, y, cxIcon, cyIcon);
}

QIcon CConvDialog::OnQueryDragIcon() const { return m_hIcon; }

std::optional<QString> CConvDialog::BrowseInput() {
  const std::optional<QString> path = CurrentUi().GetOpenFileName(
      this, QString::fromUtf8(m_profile.inputTitle), Filters(m_profile.inputFilters));
  if (path) SetDlgItemText(IDC_INPUT, *path);
  return path;
}

void CConvDialog::OnBrowseInput() { BrowseInput(); }

void CConvDialog::OnBrowseOutput() {
  // The save dialog, so that a new file can be named; it asks before an
  // existing file is chosen for overwriting.
  const std::optional<QString> path = CurrentUi().GetSaveFileName(
      this, QString::fromUtf8(m_profile.outputTitle), Filters(m_profile.outputFilters), QString());
  if (path) SetDlgItemText(IDC_OUTPUT, *path);
}

void CConvDialog::SetProgressRange(std::uint64_t nMax) {
  m_nProgressMax = nMax;
  m_nProgressShift = 0;
  while ((nMax >> m_nProgressShift) > static_cast<std::uint64_t>(INT_MAX)) ++m_nProgressShift;
  m_progress.SetRange(0, static_cast<int>(nMax >> m_nProgressShift));
}

void CConvDialog::SetProgressPos(std::uint64_t nPos) {
  m_progress.SetPos(static_cast<int>(std::min(nPos, m_nProgressMax) >> m_nProgressShift));
}

void CConvDialog::SetProgressDone(std::uint64_t done, std::uint64_t total) {
  if (total == 0) return;
  const long double part = static_cast<long double>(std::min(done, total)) / static_cast<long double>(total);
  SetProgressPos(static_cast<std::uint64_t>(part * static_cast<long double>(m_nProgressMax)));
}

void CConvDialog::ShowMessage(std::string_view text) {
  CurrentUi().MessageBox(this, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                         QString::fromUtf8(m_profile.appName));
}

void CConvDialog::UpdateWindow() {
  qApp->installEventFilter(this);
  QCoreApplication::processEvents();
  qApp->removeEventFilter(this);
}

bool CConvDialog::eventFilter(QObject* watched, QEvent* event) {
  // What reaches a window goes on to the widget under it or with the
  // focus; the choice is made there.
  if (watched->isWindowType()) return false;
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
      return !static_cast<QKeyEvent*>(event)->matches(QKeySequence::Cancel);  // Escape closes
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
      return watched != GetDlgItem(IDCANCEL);  // the exit button closes
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::Drop:
      return true;
    default:
      return false;  // painting, the close box, timers...
  }
}

void CConvDialog::paintEvent(QPaintEvent* event) {
  if (isMinimized()) OnPaint();
  else CDialog::paintEvent(event);
}

void CConvDialog::contextMenuEvent(QContextMenuEvent* event) {
  const QString strAboutMenu = QString::fromUtf8(m_profile.aboutMenuItem);
  if (strAboutMenu.isEmpty()) return;
  QMenu menu(this);
  menu.addAction(strAboutMenu)->setData(IDM_ABOUTBOX);
  if (const int id = CurrentUi().TrackPopupMenu(menu, event->globalPos()))
    OnSysCommand(static_cast<unsigned>(id), 0);
}

void CConvDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
    OnSysCommand(IDM_ABOUTBOX, 0);
    return;
  }
  CDialog::keyPressEvent(event);
}

bool CConvDialog::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
  unsigned nID = 0;
  std::intptr_t lParam = 0;
  if (GetSysCommand(eventType, message, nID, lParam) && (nID & 0xFFF0) == IDM_ABOUTBOX) {
    OnSysCommand(nID, lParam);
    *result = 0;
    return true;
  }
  return CDialog::nativeEvent(eventType, message, result);
}

CAboutDlg::CAboutDlg(const ConvDialogProfile& profile, QWidget* pParent) : CDialog(profile.aboutBox, pParent) {
  setWindowIcon(LoadProgramIcon(profile));  // shown by the icon static
}
