#include "velmar/velmar_app.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QPainter>
#include <QPrinter>
#include <QSettings>

#include "platform/ui.h"
#include "velmar/text_store.h"
#include "velmar/about_dlg.h"
#include "velmar/command_table.h"
#include "velmar/main_frame.h"
#include "velmar/resource.h"
#include "velmar/velmar_doc.h"
#include "velmar/velmar_view.h"

namespace {

CVelmarApp* g_pApp = nullptr;

const MessageMapEntry<CVelmarApp> kMessageMap[] = {
    {ID_APP_ABOUT, &CVelmarApp::OnAppAbout},
    {ID_APP_EXIT, &CVelmarApp::OnAppExit},
    {ID_FILE_PRINT_SETUP, &CVelmarApp::OnFilePrintSetup},
};

const char* const kRecentFileSection = "Recent File List";

// The program's icon (main window and About box): the installed theme icon,
// else the same picture drawn here.
QIcon VelmarIcon() {
  QIcon icon = QIcon::fromTheme(QStringLiteral("qorvel-velmar"));
  if (!icon.isNull()) return icon;
  QPixmap pixmap(64, 64);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x2c, 0x6f, 0xbb));
  painter.drawRoundedRect(QRectF(4, 4, 56, 56), 10, 10);
  QPen stroke(Qt::white, 5, Qt::SolidLine, Qt::RoundCap);
  painter.setPen(stroke);
  painter.drawLine(32, 12, 32, 52);
  painter.drawLine(32, 20, 42, 20);
  painter.drawLine(32, 30, 22, 30);
  painter.drawLine(32, 40, 42, 40);
  QFont font = painter.font();
  font.setPixelSize(14);
  font.setBold(true);
  painter.setFont(font);
  painter.drawText(QRect(43, 42, 14, 16), Qt::AlignCenter, QStringLiteral("V"));
  painter.end();
  return QIcon(pixmap);
}

}  // namespace

CVelmarApp::CVelmarApp() {
  g_pApp = this;
  QCoreApplication::setOrganizationName(QString::fromUtf8(kRegistryKey));
  QCoreApplication::setApplicationName(QString::fromUtf8(velmar::kAppTitle));
  if (qobject_cast<QApplication*>(QCoreApplication::instance())) QApplication::setWindowIcon(VelmarIcon());
}

CVelmarApp::~CVelmarApp() {
  m_pMainWnd.reset();
  if (g_pApp == this) g_pApp = nullptr;
}

CVelmarApp* CVelmarApp::Instance() { return g_pApp; }

QPrinter& CVelmarApp::Printer(std::unique_ptr<QPrinter>& local) {
  if (g_pApp) {
    if (!g_pApp->m_pPrinter) g_pApp->m_pPrinter = std::make_unique<QPrinter>(QPrinter::ScreenResolution);
    return *g_pApp->m_pPrinter;
  }
  local = std::make_unique<QPrinter>(QPrinter::ScreenResolution);
  return *local;
}

bool CVelmarApp::InitInstance(const QStringList& files, bool show) {
  LoadStdProfileSettings();
  m_pDoc = std::make_unique<CVelmarDoc>();
  connect(m_pDoc.get(), &CVelmarDoc::PathSaved, this, &CVelmarApp::AddToRecentFileList);
  m_pMainWnd = std::make_unique<CMainFrame>(this, m_pDoc.get());
  if (!m_pMainWnd->OnCreate()) {
    m_pMainWnd.reset();
    return false;
  }
  m_pDoc->OnNewDocument();
  GetView()->OnInitialUpdate();
  for (const QString& file : files) OpenDocumentFile(file);
  if (show) m_pMainWnd->show();
  return true;
}

CVelmarView* CVelmarApp::GetView() const {
  return m_pMainWnd ? m_pMainWnd->GetActiveView() : nullptr;
}

bool CVelmarApp::OnCmdMsg(int id, bool execute) {
  if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + kMaxRecentFiles) {
    const int index = id - ID_FILE_MRU_FILE1;
    if (index >= m_recentFiles.size()) return false;
    if (execute) OpenDocumentFile(m_recentFiles.at(index));
    return true;
  }
  return DispatchMessageMap<CVelmarApp>(this, kMessageMap, id, execute);
}

void CVelmarApp::OnAppAbout() {
  CAboutDlg aboutDlg(m_pMainWnd.get());
  aboutDlg.DoModal();
}

void CVelmarApp::OnAppExit() {
  if (m_pMainWnd) m_pMainWnd->close();
}

void CVelmarApp::OnFilePrintSetup() {
  std::unique_ptr<QPrinter> local;
  qorvel::platform::CurrentUi().PageSetupDialog(m_pMainWnd.get(), Printer(local));
}

bool CVelmarApp::OpenDocumentFile(const QString& path) {
  CVelmarView* view = GetView();
  if (!view) return false;
  const bool replaces = g_strSource.empty();
  if (replaces && !m_pDoc->SaveModified()) return false;
  if (!view->OpenTextFile(path)) {
    RemoveFromRecentFileList(path);
    return false;
  }
  if (replaces) {
    m_pDoc->SetPathName(path);
    m_pDoc->SetModifiedFlag(false);
  }
  AddToRecentFileList(path);
  return true;
}

void CVelmarApp::AddToRecentFileList(const QString& path) {
  const QString full = QFileInfo(path).absoluteFilePath();
  m_recentFiles.removeAll(full);
  m_recentFiles.prepend(full);
  while (m_recentFiles.size() > kMaxRecentFiles) m_recentFiles.removeLast();
  SaveRecentFileList();
  emit RecentFilesChanged();
}

void CVelmarApp::RemoveFromRecentFileList(const QString& path) {
  if (m_recentFiles.removeAll(QFileInfo(path).absoluteFilePath()) == 0) return;
  SaveRecentFileList();
  emit RecentFilesChanged();
}

void CVelmarApp::LoadStdProfileSettings() {
  QSettings settings;
  settings.beginGroup(QString::fromUtf8(kRecentFileSection));
  m_recentFiles.clear();
  for (int i = 1; i <= kMaxRecentFiles; ++i) {
    const QString file = settings.value(QStringLiteral("File%1").arg(i)).toString();
    if (!file.isEmpty()) m_recentFiles.append(file);
  }
}

void CVelmarApp::SaveRecentFileList() const {
  QSettings settings;
  settings.beginGroup(QString::fromUtf8(kRecentFileSection));
  for (int i = 1; i <= kMaxRecentFiles; ++i) {
    const QString key = QStringLiteral("File%1").arg(i);
    if (i <= m_recentFiles.size()) settings.setValue(key, m_recentFiles.at(i - 1));
    else settings.remove(key);
  }
}
