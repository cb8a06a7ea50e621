#include "velmar/velmar_app.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>

#include "platform/ui.h"
#include "velmar/about_dlg.h"
#include "velmar/command_table.h"
#include "velmar/main_frame.h"
#include "velmar/resource.h"
#include "velmar/velmar_doc.h"
#include "velmar/velmar_view.h"

namespace {

const MessageMapEntry<CVelmarApp> kMessageMap[] = {
    {ID_APP_ABOUT, &CVelmarApp::OnAppAbout},
    {ID_APP_EXIT, &CVelmarApp::OnAppExit},
    {ID_FILE_PRINT_SETUP, &CVelmarApp::OnFilePrintSetup},
};

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
  QCoreApplication::setOrganizationName(QString::fromUtf8(kRegistryKey));
  QCoreApplication::setApplicationName(QString::fromUtf8(velmar::kAppTitle));
  if (qobject_cast<QApplication*>(QCoreApplication::instance())) QApplication::setWindowIcon(VelmarIcon());
}

CVelmarApp::~CVelmarApp() {
  m_pMainWnd.reset();
}

bool CVelmarApp::InitInstance(const QStringList& files, bool show) {
  m_recentFiles.Load();
  m_pDoc = std::make_unique<CVelmarDoc>();
  connect(m_pDoc.get(), &CVelmarDoc::FileUsed, &m_recentFiles, &CRecentFileList::Add);
  connect(m_pDoc.get(), &CVelmarDoc::FileUnreadable, &m_recentFiles, &CRecentFileList::Remove);
  m_pMainWnd = std::make_unique<CMainFrame>(this, m_pDoc.get(), &m_recentFiles);
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
    if (index >= m_recentFiles.Files().size()) return false;
    if (execute) OpenDocumentFile(m_recentFiles.Files().at(index));
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
  qorvel::platform::CurrentUi().PageSetupDialog(m_pMainWnd.get(), m_pDoc->Printer());
}

bool CVelmarApp::OpenDocumentFile(const QString& path) {
  CVelmarView* view = GetView();
  return view && view->OpenDocumentFile(path);
}
