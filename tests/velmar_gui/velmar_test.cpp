// Velmar on the offscreen platform: the commands on the text store and the
// clipboard, the view's drawing, the dialogs, the command table and the
// frame, files in and out.
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>
#include <cerrno>
#include <cstring>
#include <set>

#include "platform/clipboard.h"
#include "platform/dc.h"
#include "platform/dialog.h"
#include "platform/test_ui.h"
#include "layout/layout.h"
#include "velmar/text_store.h"
#include "velmar/about_dlg.h"
#include "velmar/command_table.h"
#include "fileio/files.h"
#include "velmar/line_height_dlg.h"
#include "velmar/main_frame.h"
#include "velmar/render.h"
#include "velmar/resource.h"
#include "velmar/velmar_app.h"
#include "velmar/velmar_doc.h"
#include "velmar/velmar_view.h"

using namespace qorvel::platform;
using namespace std::string_literals;

namespace {

void WriteFile(const QString& path, const std::string& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::string ReadFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return "<unreadable>";
  return f.readAll().toStdString();
}

QString Utf8(const char* s) { return QString::fromUtf8(s); }

}  // namespace

class VelmarTest : public QObject {
  Q_OBJECT

  TestUi* m_ui = nullptr;
  std::unique_ptr<ScopedUi> m_use;
  QTemporaryDir m_dir;

  QString Path(const char* name) const { return m_dir.filePath(QString::fromUtf8(name)); }

 private slots:
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QString::fromUtf8(kRegistryKey));
    QCoreApplication::setApplicationName(QStringLiteral("Velmar"));
    QVERIFY(m_dir.isValid());
  }

  void init() {
    g_strSource.clear();
    g_strWrapped.clear();
    g_strWeb.clear();
    g_strFontFace = qorvel::kDefaultFontFace;
    g_nFontSize = qorvel::kDefaultFontSize;
    g_nLineHeight = qorvel::kDefaultLineHeight;
    ClearClipboard();
    QSettings().remove(QStringLiteral("Recent File List"));
    m_ui = new TestUi;
    m_use = std::make_unique<ScopedUi>(*m_ui);
  }

  void cleanup() {
    m_use.reset();
    delete m_ui;
    m_ui = nullptr;
  }

  void pasteAppendsClipboardTextAndRedraws() {
    CVelmarView view;
    SetClipboardText("AB CD");
    view.OnPastePlain();
    QCOMPARE(g_strSource, "AB CD"s);
    QCOMPARE(g_strWrapped, qorvel::WrapText("AB CD", 500));
    QCOMPARE(view.InvalidateCount(), 1);
    // A block larger than its text: only the text, directly behind.
    SetClipboardBlock(std::string_view("XY\0junk\0", 8));
    view.OnPastePlain();
    QCOMPARE(g_strSource, "AB CDXY"s);
    // The clipboard's Unicode text arrives as code page 936.
    QGuiApplication::clipboard()->setText(QString(QChar(0xE235)) + QChar(0xE236));
    view.OnPastePlain();
    QCOMPARE(g_strSource, "AB CDXY\xF8\xA2\xF8\xA3"s);
    QCOMPARE(view.InvalidateCount(), 3);
  }

  void pastesWithoutClipboardTextChangeNothing() {
    CVelmarView view;
    g_strSource = "keep";
    g_strWrapped = "stale";
    ClearClipboard();
    view.OnPastePlain();
    view.OnPasteMengkeliText();
    view.OnPasteMingantuText();
    view.OnPasteWordText();
    QCOMPARE(g_strSource, "keep"s);
    QCOMPARE(g_strWrapped, "stale"s);
    QCOMPARE(view.InvalidateCount(), 0);
  }

  void pasteConvertersAppendTheirConversion() {
    CVelmarView view;
    SetClipboardText("\x41\xF8\xA2\r\n");
    view.OnPasteMengkeliText();
    QCOMPARE(g_strSource, "\x41\xF8\xA4\r\n"s);
    SetClipboardText("\xA3\xA1\xA6\xE0");
    view.OnPasteMingantuText();
    QCOMPARE(g_strSource, "\x41\xF8\xA4\r\n\xF8\xA2\xA3\xA8"s);
    g_strSource.clear();
    SetClipboardText("Ab{x}");
    view.OnPasteWordText();
    QCOMPARE(g_strSource, "\xF8\xB3\xF8\xF1\x28\xF8\xBA\x29"s);
    QCOMPARE(g_strWeb, qorvel::LayOut(g_strSource, 500).web);
    // An empty text appends nothing but still lays out and redraws.
    SetClipboardText("");
    g_strWrapped.clear();
    view.OnPasteWordText();
    QCOMPARE(g_strWrapped, qorvel::WrapText(g_strSource, 500));
    QCOMPARE(view.InvalidateCount(), 4);
  }

  void copyAndCutInWebFormat() {
    CVelmarView view;
    g_nLineHeight = 0;
    g_strSource = "AB CD EF";
    view.OnRelayout();
    const std::string web = "\r\nEF\r\nCD \r\nAB ";
    QCOMPARE(g_strWeb, web);
    view.OnCopyWeb();
    QCOMPARE(ClipboardBytes(), web + "\r\n");
    QCOMPARE(g_strWeb, web);
    view.OnCopyAll();
    QCOMPARE(ClipboardBytes(), "AB \r\nCD \r\nEF\r\n"s);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("AB \r\nCD \r\nEF\r\n"));

    view.OnCutWeb();
    QCOMPARE(ClipboardBytes(), web + "\r\n");
    QCOMPARE(g_strSource, ""s);
    QCOMPARE(g_strWrapped, "\r\n"s);
    QCOMPARE(g_strWeb, "\r\n"s);
    view.OnCutWeb();  // a laid-out empty source
    QCOMPARE(ClipboardBytes(), "\r\n\r\n"s);

    view.OnNewText();
    QCOMPARE(g_strWrapped, ""s);
    QCOMPARE(g_strWeb, ""s);
    view.OnCopyAll();
    std::size_t size = 0;
    QVERIFY(GetClipboardTextSize(size));
    QCOMPARE(size, std::size_t(1));
    view.OnCutWeb();  // right after new
    QCOMPARE(ClipboardBytes(), "\r\n"s);
    QCOMPARE(g_strWrapped, "\r\n"s);
  }

  void glyphCodesTravelThroughTheClipboardAsUnicode() {
    CVelmarView view;
    g_strSource = "\xF8\xA2";
    view.OnRelayout();
    view.OnCopyAll();
    QCOMPARE(QGuiApplication::clipboard()->text(), QString(QChar(0xE235)) + QStringLiteral("\r\n"));
    // Another program's copy of the same text pastes back as the same bytes.
    const QString text = QGuiApplication::clipboard()->text();
    QGuiApplication::clipboard()->setText(text);
    QVERIFY(!QGuiApplication::clipboard()->mimeData()->hasFormat(kCp936MimeType));
    view.OnNewText();
    view.OnPastePlain();
    QCOMPARE(g_strSource, "\xF8\xA2\r\n"s);
  }

  void openAppendsFilesUpToNulOrFF() {
    CVelmarView view;
    WriteFile(Path("nul.txt"), "AB\0CD"s);
    WriteFile(Path("ff.txt"), "EF\xFFGH");
    WriteFile(Path("empty.txt"), "");
    for (const char* name : {"nul.txt", "ff.txt", "empty.txt"}) m_ui->m_openAnswers.push_back(Path(name));
    view.OnFileOpenText();
    QCOMPARE(g_strSource, "AB"s);
    view.OnFileOpenText();
    QCOMPARE(g_strSource, "ABEF"s);
    view.OnFileOpenText();
    QCOMPARE(g_strSource, "ABEF"s);
    QCOMPARE(view.InvalidateCount(), 3);
    QCOMPARE(g_strWrapped, "ABEF\r\n"s);
    QCOMPARE(m_ui->m_fileRequests.at(0).title, Utf8("打开文本文件"));
    QCOMPARE(m_ui->m_fileRequests.at(0).filters.at(0).label, Utf8("文本文件 (*.txt)"));
    QCOMPARE(m_ui->m_fileRequests.at(0).filters.at(0).pattern, QStringLiteral("*.txt"));
    view.OnFileOpenText();  // cancelled
    QCOMPARE(view.InvalidateCount(), 3);
    QVERIFY(m_ui->m_messages.empty());
  }

  // What a paste dropped, and where an open or a paste ended early, is said
  // in the status bar until the next command; nothing otherwise, and never
  // a message box.
  void dropsAndEarlyEndsAreSaidInTheStatusBar() {
    CVelmarApp app;
    QVERIFY(app.InitInstance({}, false));
    CMainFrame* frame = app.GetMainWnd();
    const auto status = [&] { return frame->GetStatusPaneTexts().at(0); };
    SetClipboardText("\xF8\xA2\r\nA\xF9\xD1");  // on line 2 a unit whose output is nothing
    frame->OnCommand(ID_PASTE_MENGKELI);
    QCOMPARE(status(), Utf8("有 2 个字节无法转换，已略去（第一个在粘贴文本的第 2 行（第 5 字节））。"));
    frame->OnCommand(ID_RELAYOUT);
    QCOMPARE(status(), Utf8("就绪"));
    SetClipboardBlock(std::string_view("\xF8\xA2\0\0\0", 5));  // a block's terminator and padding
    frame->OnCommand(ID_PASTE_MENGKELI);
    QCOMPARE(status(), Utf8("就绪"));
    SetClipboardBlock(std::string_view("A\nB\0CD\0", 6));
    frame->OnCommand(ID_PASTE_MENGKELI);
    QCOMPARE(status(), Utf8("粘贴文本在第 2 行（第 3 字节）的 NUL 处结束，其后 2 个字节未转换。"));

    WriteFile(Path("ff.txt"), "AB\r\nCD\xFF" + std::string(100, 'x'));
    WriteFile(Path("padded.txt"), "EF\0\0\0"s);
    m_ui->m_openAnswers.push_back(Path("ff.txt"));
    frame->OnCommand(ID_FILE_OPEN);
    QCOMPARE(status(), Utf8("文件在第 2 行（第 6 字节）的 0xFF 字节处结束，其后 100 个字节未读入"));
    m_ui->m_openAnswers.push_back(Path("padded.txt"));
    frame->OnCommand(ID_FILE_OPEN);
    QCOMPARE(status(), Utf8("就绪"));
    QVERIFY(m_ui->m_messages.empty());
  }

  void openFailureIsReportedAndTheProgramGoesOn() {
    CVelmarView view;
    g_strSource = "kept";
    view.OnRelayout();
    m_ui->m_openAnswers.push_back(Path("missing.txt"));
    m_ui->m_openAnswers.push_back(m_dir.path());  // a folder
    view.OnFileOpenText();
    view.OnFileOpenText();
    QCOMPARE(m_ui->m_messages.size(), std::size_t(2));
    QCOMPARE(m_ui->m_messages[0].text, Utf8("打开文件错!!!"));
    QCOMPARE(m_ui->m_messages[0].caption, Utf8("Qorvel蒙文软件:"));
    QCOMPARE(g_strSource, "kept"s);
    QCOMPARE(g_strWrapped, "kept\r\n"s);
  }

  void drawsOneColumnPerLine() {
    CVelmarView view;
    g_nLineHeight = 0;
    g_strSource = "AB CD EF";
    view.OnRelayout();
    CRecordingDC dc(QRect(0, 0, 100000, 100000));
    view.OnDraw(&dc);
    QCOMPARE(dc.m_textOuts.size(), std::size_t(3));
    const std::vector<std::pair<int, std::string>> expected{{50, "AB "}, {71, "CD "}, {92, "EF"}};
    for (std::size_t i = 0; i < 3; ++i) {
      const auto& call = dc.m_textOuts[i];
      QCOMPARE(call.x, expected[i].first);
      QCOMPARE(call.y, 10);
      QCOMPARE(call.text, expected[i].second);
      QCOMPARE(call.color, RGB(0, 0, 0));
      QCOMPARE(call.bkMode, TRANSPARENT);
    }
    LogFont font;
    font.height = 17;
    font.width = 7;
    font.escapement = -900;
    font.weight = 400;
    font.charSet = 1;
    font.outPrecision = 2;
    font.clipPrecision = 1;
    font.pitchAndFamily = 2;
    font.face = "QorvelWebTolvane";
    QVERIFY(dc.m_textOuts[0].font == font);
    QCOMPARE(dc.m_selections.back(), static_cast<const CFont*>(nullptr));  // the old font back
    QCOMPARE(view.GetTotalSize(), QSize(9 * 7 + 100, 0 + 150));

    for (auto [size, height] : {std::pair{10, 25}, std::pair{3, 7}}) {
      g_nFontSize = size;
      CRecordingDC other(QRect(0, 0, 100000, 100000));
      view.OnDraw(&other);
      QCOMPARE(other.m_textOuts[0].font.height, height);
      QCOMPARE(other.m_textOuts[2].x, 50 + 6 * size);
      QCOMPARE(view.GetTotalSize().width(), 9 * size + 100);
    }
  }

  void scrollSizesFollowTheText() {
    CVelmarView view;
    view.OnInitialUpdate();
    QCOMPARE(view.GetTotalSize(), QSize(1000, 1000));
    CRecordingDC dc(QRect(0, 0, 1000, 1000));
    view.OnDraw(&dc);  // after start-up or new: nothing to draw
    QVERIFY(dc.m_textOuts.empty());
    QCOMPARE(view.GetTotalSize(), QSize(100, 650));
    view.OnRelayout();  // an empty source is one empty column
    view.OnDraw(&dc);
    QCOMPARE(dc.m_textOuts.size(), std::size_t(1));
    QCOMPARE(view.GetTotalSize(), QSize(3 * 7 + 100, 650));
    g_nLineHeight = -5;  // typed in; compared unsigned, it never wraps
    view.OnDraw(&dc);
    QCOMPARE(view.GetTotalSize().height(), 145);
    g_nLineHeight = 2147483647;
    view.OnDraw(&dc);
    QVERIFY(view.GetTotalSize().height() > 1000000);
  }

  void paintsOnlyVisibleColumnsWithTheSamePicture() {
    CVelmarView view;
    g_nLineHeight = 0;
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "\xF8\xA2\xF8\xA3 ";
    g_strSource = text;
    view.OnRelayout();
    CRecordingDC part(QRect(2000, 0, 300, 600));
    view.OnDraw(&part);
    QVERIFY(!part.m_textOuts.empty());
    QVERIFY(part.m_textOuts.size() < 30);
    QCOMPARE(view.GetTotalSize().width(), 21 * 3001 + 100);  // every column counted
    // The part painted alone looks as it does in the whole picture.
    g_strSource = text.substr(0, 300);
    view.OnRelayout();
    QImage whole(800, 300, QImage::Format_RGB32), clipped(800, 300, QImage::Format_RGB32);
    for (auto [image, clip] : {std::pair{&whole, QRect(0, 0, 800, 300)}, std::pair{&clipped, QRect(400, 0, 150, 300)}}) {
      image->fill(Qt::white);
      QPainter painter(image);
      painter.setClipRect(clip);
      CPainterDC dc(painter, clip);
      view.OnDraw(&dc);
    }
    QCOMPARE(whole.copy(400, 0, 150, 300), clipped.copy(400, 0, 150, 300));
    QVERIFY(whole.copy(400, 0, 150, 300) != QImage(150, 300, QImage::Format_RGB32));
  }

  void fontDialogSetsFaceAndSize() {
    CVelmarView view;
    g_nLineHeight = 0;
    g_strSource = "AB CD";
    view.OnRelayout();
    const std::string wrapped = g_strWrapped;
    view.OnChooseFont();  // cancelled
    QCOMPARE(view.InvalidateCount(), 1);
    QCOMPARE(m_ui->m_fontRequests.at(0).face, QStringLiteral("QorvelWebTolvane"));
    QCOMPARE(m_ui->m_fontRequests.at(0).height, 9);
    m_ui->m_fontAnswers.push_back(FontChoice{Utf8("宋体"), 105});
    view.OnChooseFont();
    QCOMPARE(g_nFontSize, 10);
    QCOMPARE(g_strFontFace, "\xCB\xCE\xCC\xE5"s);  // code page 936
    QCOMPARE(g_strWrapped, wrapped);
    QCOMPARE(view.InvalidateCount(), 2);
    m_ui->m_fontAnswers.push_back(FontChoice{QStringLiteral("X"), 200});
    view.OnChooseFont();
    QCOMPARE(m_ui->m_fontRequests.at(2).height, 13);  // 10 x 1.34
    CRecordingDC dc(QRect(0, 0, 1000, 1000));
    view.OnDraw(&dc);
    QCOMPARE(dc.m_textOuts.at(0).font.height, 50);
    QCOMPARE(dc.m_textOuts.at(0).font.width, 20);
    QCOMPARE(dc.m_textOuts.at(1).x, 110);
  }

  void lineHeightDialogRules() {
    CVelmarView view;
    g_strSource = "AB CD";
    view.OnRelayout();
    // OK at once: 100, whatever the current value.
    m_ui->m_dialogScripts.push_back([](CDialog& dlg) {
      QCOMPARE(dlg.GetDlgItemText(IDC_LINE_HEIGHT_EDIT), QStringLiteral("100"));
      QVERIFY(dlg.ClickButton(IDOK));
    });
    view.OnSetLineHeight();
    QCOMPARE(g_nLineHeight, 100);
    QCOMPARE(m_ui->m_dialogs, std::vector<int>{IDD_LINE_HEIGHT});
    // Arrows keep within 50..1000; a typed number outside is taken.
    m_ui->m_dialogScripts.push_back([](CDialog& dlg) {
      auto& spin = static_cast<CLineHeightDlg&>(dlg).m_spin;
      QCOMPARE(spin.GetRange(), std::make_pair(50, 1000));
      dlg.SetDlgItemText(IDC_LINE_HEIGHT_EDIT, QStringLiteral("1000"));
      spin.Step(true);
      QCOMPARE(dlg.GetDlgItemText(IDC_LINE_HEIGHT_EDIT), QStringLiteral("1000"));
      dlg.SetDlgItemText(IDC_LINE_HEIGHT_EDIT, QStringLiteral("5000"));
      QVERIFY(dlg.ClickButton(IDOK));
    });
    view.OnSetLineHeight();
    QCOMPARE(g_nLineHeight, 5000);
    QVERIFY(m_ui->m_messages.empty());
    // Not a number: refused with a message, the dialog stays; then cancelled.
    g_strWeb.clear();
    const int redraws = view.InvalidateCount();
    m_ui->m_dialogScripts.push_back([](CDialog& dlg) {
      dlg.SetDlgItemText(IDC_LINE_HEIGHT_EDIT, QStringLiteral("abc"));
      QVERIFY(!dlg.ClickButton(IDOK));
      QVERIFY(!dlg.HasEnded());
      QVERIFY(dlg.ClickButton(IDCANCEL));
    });
    view.OnSetLineHeight();
    QCOMPARE(m_ui->m_messages.size(), std::size_t(1));
    QCOMPARE(m_ui->m_messages[0].text, Utf8("请输入一个整数。"));
    QCOMPARE(g_nLineHeight, 5000);
    // Cancel still lays out again and redraws.
    QCOMPARE(g_strWeb, qorvel::LayOut("AB CD", 5000).web);
    QCOMPARE(view.InvalidateCount(), redraws + 1);
  }

  void commandTableDrivesMenusToolbarAndKeys() {
    CVelmarApp app;
    QVERIFY(app.InitInstance({}, false));
    CMainFrame* frame = app.GetMainWnd();
    QCOMPARE(frame->windowTitle(), QStringLiteral("Velmar - Velmar"));

    QCOMPARE(frame->FindMenuAction(ID_FILE_NEW)->text(), Utf8("新建(&N)\tCtrl+N"));
    QCOMPARE(frame->FindMenuAction(ID_EDIT_COPY)->text(), Utf8("复制成蒙文网页格式(&C)\tCtrl+C"));
    QCOMPARE(frame->FindMenuAction(ID_APP_ABOUT)->text(), Utf8("关于 Qorvel蒙文网页排版置换工具(&A)..."));
    QCOMPARE(frame->FindMenuAction(ID_EDIT_PASTE)->statusTip(), Utf8("插入剪贴板里面的文本内容"));
    QCOMPARE(frame->FindMenuAction(ID_PASTE_MINGANTU)->statusTip(), Utf8("转换明安途蒙文文本"));
    QCOMPARE(frame->FindMenuAction(ID_COPY_ALL)->statusTip(), QString());
    QCOMPARE(velmar::ToolTip(ID_APP_ABOUT), Utf8("关于"));

    // Menu 128 in order, with every entry but Undo and the empty recent
    // list enabled.
    QStringList popups;
    for (QAction* a : frame->menuBar()->actions()) popups << a->text();
    QCOMPARE(popups, QStringList({Utf8("文件(&F)"), Utf8("编辑(&E)"), Utf8("功能(&G)"), Utf8("查看(&V)"), Utf8("帮助(&H)")}));
    std::vector<int> ids;
    std::set<int> disabled;
    for (QAction* top : frame->menuBar()->actions())
      for (QAction* a : top->menu()->actions()) {
        if (a->isSeparator() || !a->isVisible()) continue;
        ids.push_back(a->data().toInt());
        if (!a->isEnabled()) disabled.insert(a->data().toInt());
      }
    QCOMPARE(ids, (std::vector<int>{57600, 57601, 57603, 57604, 32783, 57607, 57609, 57606, 57616, 57665, 57643,
                                    57635, 32778, 57634, 32782, 57637, 32777, 32780, 32781, 32771, 32772, 32776, 59392, 59393, 57664}));
    QCOMPARE(disabled, (std::set<int>{ID_EDIT_UNDO, ID_FILE_MRU_FILE1}));
    QVERIFY(!frame->OnCmdMsg(ID_CUT_WEB, false));

    // Toolbar 128: eleven buttons with their gaps, tooltips from the table.
    QStringList layout;
    for (QAction* a : frame->GetToolBar()->actions())
      layout << (a->isSeparator() ? QStringLiteral("|") : QString::number(a->data().toInt()));
    QCOMPARE(layout.join(' '), QStringLiteral("57600 57601 57603 | 32772 32771 32776 | 57635 57634 57637 | 57607 | 57664"));
    QCOMPARE(frame->GetToolBarActions().at(8)->toolTip(), Utf8("粘贴Qorvel蒙文文本内容"));
    QCOMPARE(frame->GetToolBarActions().at(3)->toolTip(), Utf8("设置行高"));
    QCOMPARE(frame->GetToolBar()->allowedAreas(), Qt::AllToolBarAreas);
    for (QAction* a : frame->GetToolBarActions()) QVERIFY(!a->icon().isNull());

    // Accelerator table 128: fourteen keys, the shifted ones doing the same.
    std::map<QString, int> keys;
    for (QShortcut* s : frame->findChildren<QShortcut*>()) keys[s->key().toString()] = s->property("commandId").toInt();
    QCOMPARE(keys.size(), std::size_t(14));
    QCOMPARE(keys[QStringLiteral("Shift+Ins")], ID_EDIT_PASTE);
    QCOMPARE(keys[QStringLiteral("Ctrl+V")], ID_EDIT_PASTE);
    QCOMPARE(keys[QStringLiteral("Alt+Backspace")], ID_EDIT_UNDO);
    QCOMPARE(keys[QStringLiteral("Shift+Del")], ID_EDIT_CUT);
    QCOMPARE(keys[QStringLiteral("Ctrl+Ins")], ID_EDIT_COPY);
    QCOMPARE(keys[QStringLiteral("Shift+F6")], ID_PREV_PANE);
    SetClipboardText("Q");
    for (QShortcut* s : frame->findChildren<QShortcut*>())
      if (s->key() == QKeySequence(Qt::SHIFT | Qt::Key_Insert) || s->key() == QKeySequence(Qt::CTRL | Qt::Key_Z))
        emit s->activated();
    QCOMPARE(g_strSource, "Q"s);

    // Status bar: idle text, prompts while a command is pointed at.
    QCOMPARE(frame->GetStatusPaneTexts().at(0), Utf8("就绪"));
    QCOMPARE(frame->GetStatusPaneTexts().size(), 4);
    frame->statusBar()->showMessage(frame->FindMenuAction(ID_FILE_OPEN)->statusTip());
    QCOMPARE(frame->GetStatusPaneTexts().at(0), Utf8("打开一个现有文档"));
    frame->statusBar()->clearMessage();
    frame->OnCommand(ID_VIEW_STATUS_BAR);
    QVERIFY(frame->statusBar()->isHidden());
    QVERIFY(!frame->FindMenuAction(ID_VIEW_STATUS_BAR)->isChecked());
  }

  void contextMenuFromMouseAndKeyboard() {
    CVelmarApp app;
    QVERIFY(app.InitInstance({}, true));
    CMainFrame* frame = app.GetMainWnd();
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    CVelmarView* view = app.GetView();
    g_strSource = "AB";
    view->OnRelayout();

    QContextMenuEvent keyboard(QContextMenuEvent::Keyboard, QPoint(0, 0), view->mapToGlobal(QPoint(0, 0)));
    QApplication::sendEvent(view, &keyboard);
    QCOMPARE(m_ui->m_popups.size(), std::size_t(1));
    QCOMPARE(m_ui->m_popups[0].pos, view->viewport()->mapToGlobal(QPoint(5, 5)));
    std::vector<int> ids;
    for (const auto& e : m_ui->m_popups[0].entries) {
      ids.push_back(e.id);
      if (e.id) QCOMPARE(e.enabled, e.id != ID_CUT_WEB);
    }
    QCOMPARE(ids, (std::vector<int>{57635, 32779, 0, 32778, 57634, 32782, 0, 57637, 32777, 32780, 32781}));
    QCOMPARE(m_ui->m_popups[0].entries[1].text, Utf8("剪切为蒙文网页格式"));
    QCOMPARE(m_ui->m_popups[0].entries[4].text, Utf8("复制为蒙文网页格式"));

    // From the mouse, at the pointer; the chosen entry runs.
    m_ui->m_popupAnswers.push_back(ID_COPY_ALL);
    QContextMenuEvent mouse(QContextMenuEvent::Mouse, QPoint(30, 40), QPoint(330, 440));
    QApplication::sendEvent(view->viewport(), &mouse);
    QCOMPARE(m_ui->m_popups.at(1).pos, QPoint(330, 440));
    QCOMPARE(ClipboardBytes(), "AB\r\n"s);
  }

  void saveStoresTheSourceAndReopenAppends() {
    CVelmarApp app;
    QVERIFY(app.InitInstance({}, false));
    CMainFrame* frame = app.GetMainWnd();
    g_strSource = "\xF8\xA2 \xF8\xA3\r\nAB";
    app.GetView()->OnRelayout();
    const QString path = Path("saved.txt");
    m_ui->m_saveAnswers.push_back(path);
    frame->OnCommand(ID_FILE_SAVE);  // no name yet: asks for one
    QCOMPARE(ReadFile(path), g_strSource);
    QCOMPARE(frame->windowTitle(), QStringLiteral("saved.txt - Velmar"));
    QCOMPARE(app.GetRecentFiles(), QStringList{QFileInfo(path).absoluteFilePath()});
    QCOMPARE(QSettings().value(QStringLiteral("Recent File List/File1")).toString(), QFileInfo(path).absoluteFilePath());
    QVERIFY(frame->FindMenuAction(ID_FILE_MRU_FILE1 + 0) != nullptr);

    g_strSource += "CD";
    frame->OnCommand(ID_FILE_SAVE);  // saved again under its name
    QCOMPARE(ReadFile(path), g_strSource);
    QCOMPARE(m_ui->m_fileRequests.size(), std::size_t(1));

    // The recent-file entry appends the file like Open.
    frame->OnCommand(ID_FILE_NEW);
    frame->OnCommand(ID_FILE_MRU_FILE1);
    frame->OnCommand(ID_FILE_MRU_FILE1);
    QCOMPARE(g_strSource, ReadFile(path) + ReadFile(path));

    // A failed save is reported; the file keeps what it had.
    m_ui->m_saveAnswers.push_back(Path("no/such/folder/x.txt"));
    frame->OnCommand(ID_FILE_SAVE_AS);
    QCOMPARE(m_ui->m_messages.size(), std::size_t(1));
    QCOMPARE(m_ui->m_messages[0].text, Utf8("保存文件错!!!\n无法写入“") + Path("no/such/folder/x.txt") + Utf8("”：") +
                                           Utf8(qorvel::ErrnoText(ENOENT).c_str()));
    QCOMPARE(frame->windowTitle(), QStringLiteral("*saved.txt - Velmar"));  // appended, not saved

    // A recent file that went away: reported, dropped from the list, text kept.
    QVERIFY(QFile::remove(path));
    const std::string before = g_strSource;
    frame->OnCommand(ID_FILE_MRU_FILE1);
    QCOMPARE(m_ui->m_messages.back().text, Utf8("打开文件错!!!"));
    QCOMPARE(g_strSource, before);
    QVERIFY(app.GetRecentFiles().isEmpty());
    QVERIFY(!frame->OnCmdMsg(ID_FILE_MRU_FILE1, false));
  }

  // Copy as HTML puts the columns beside the copy command's own bytes; Save
  // as web page writes them as a document and leaves the document as it was.
  void htmlOnTheClipboardAndInAFile() {
    CVelmarApp app;
    QVERIFY(app.InitInstance({}, false));
    CMainFrame* frame = app.GetMainWnd();
    QVERIFY(frame->FindMenuAction(ID_COPY_HTML) && frame->FindMenuAction(ID_SAVE_HTML));
    g_strSource = "\xF8\xA2 <b>&\r\n\r\nAB";
    g_strFontFace = "\xB0\xA1 F\"";
    g_nFontSize = 4;
    g_nLineHeight = 8;
    app.GetView()->OnRelayout();
    frame->OnCommand(ID_EDIT_COPY);
    const std::string web = ClipboardBytes();
    const QString webText = QGuiApplication::clipboard()->text();
    ClearClipboard();
    frame->OnCommand(ID_COPY_HTML);
    QCOMPARE(ClipboardBytes(), web);
    QCOMPARE(QGuiApplication::clipboard()->text(), webText);
    QVERIFY(QGuiApplication::clipboard()->mimeData()->hasHtml());
    const QString html = QGuiApplication::clipboard()->mimeData()->html();
    // One column per wrapped line, the glyph code as Windows' private-use
    // character, markup as references, an empty line an empty column; the
    // view's face and size.
    const QString columns = QString(QChar(0xE235)) + QStringLiteral(" </div><div>&lt;b&gt;&amp;</div><div><br></div><div>AB</div></div>");
    QVERIFY2(html.endsWith(QStringLiteral("<div>") + columns), qPrintable(html));
    QVERIFY(html.contains(Utf8("font-family:&quot;啊 F\\22 &quot;;font-size:10px;line-height:12px")));
    QVERIFY(!html.contains(QStringLiteral("<!DOCTYPE")));
    // Windows' CF_HTML of it: the header's byte offsets find the fragment.
    const std::string fragment = html.toStdString(), cf = CfHtml(fragment);
    const auto offset = [&](const char* name) {
      return std::stoul(cf.substr(cf.find(std::string(name) + ":") + std::strlen(name) + 1, 10));
    };
    QCOMPARE(cf.substr(offset("StartFragment"), offset("EndFragment") - offset("StartFragment")), fragment);
    QCOMPARE(cf.substr(offset("StartHTML"), 6), "<html>"s);
    QCOMPARE(offset("EndHTML"), cf.size());

    const QString path = Path("page.html");
    m_ui->m_saveAnswers.push_back(path);
    frame->OnCommand(ID_SAVE_HTML);
    const QString document = QString::fromUtf8(ReadFile(path));
    QVERIFY(document.startsWith(QStringLiteral("<!DOCTYPE html>")));
    QVERIFY(document.contains(QStringLiteral("<meta charset=\"utf-8\">")));
    QVERIFY(document.contains(html));
    QCOMPARE(m_ui->m_fileRequests.back().filters.front().pattern, QStringLiteral("*.html"));
    QCOMPARE(frame->windowTitle(), QStringLiteral("Velmar - Velmar"));  // still untitled, unsaved
    // A failed write is reported.
    m_ui->m_saveAnswers.push_back(Path("no/such/folder/x.html"));
    frame->OnCommand(ID_SAVE_HTML);
    QCOMPARE(m_ui->m_messages.size(), std::size_t(1));
    QVERIFY(m_ui->m_messages[0].text.startsWith(Utf8("保存文件错!!!")));
  }

  void commandLineAndDroppedFilesAreAppended() {
    WriteFile(Path("a.txt"), "AA ");
    WriteFile(Path("b.txt"), "BB");
    CVelmarApp app;
    QVERIFY(app.InitInstance({Path("a.txt"), Path("missing.txt")}, false));
    QCOMPARE(g_strSource, "AA "s);
    QCOMPARE(m_ui->m_messages.size(), std::size_t(1));  // the missing one
    QCOMPARE(app.GetMainWnd()->windowTitle(), QStringLiteral("a.txt - Velmar"));

    QVERIFY(app.GetMainWnd()->acceptDrops());
    QVERIFY(app.GetMainWnd()->OnDropFiles({QUrl::fromLocalFile(Path("b.txt"))}));
    QCOMPARE(g_strSource, "AA BB"s);
    QCOMPARE(g_strWrapped, "AA BB\r\n"s);
  }

  // A user's session: Save writes only the file the title names, and no
  // command drops a changed text without asking.
  void saveWritesTheTitledFileAndChangesAreNeverDroppedUnasked() {
    WriteFile(Path("a.txt"), "AAA");
    WriteFile(Path("b.txt"), "BBB");
    const QString c = Path("c.txt");
    CVelmarApp app;
    QVERIFY(app.InitInstance({Path("a.txt")}, true));
    CMainFrame* frame = app.GetMainWnd();
    auto title = [frame] { return frame->windowTitle(); };
    QCOMPARE(title(), QStringLiteral("a.txt - Velmar"));

    // New, Open b.txt, Save: b.txt is the document now and a.txt is untouched.
    frame->OnCommand(ID_FILE_NEW);  // nothing changed: no question
    QCOMPARE(title(), QStringLiteral("Velmar - Velmar"));
    m_ui->m_openAnswers.push_back(Path("b.txt"));
    frame->OnCommand(ID_FILE_OPEN);
    QCOMPARE(title(), QStringLiteral("b.txt - Velmar"));
    QCOMPARE(app.GetRecentFiles().front(), QFileInfo(Path("b.txt")).absoluteFilePath());
    frame->OnCommand(ID_FILE_SAVE);
    QCOMPARE(m_ui->m_fileRequests.size(), std::size_t(1));  // the open dialog only
    QCOMPARE(ReadFile(Path("a.txt")), "AAA"s);
    QCOMPARE(ReadFile(Path("b.txt")), "BBB"s);

    // New, paste, Save: untitled, so Save asks for a name (cancelled here).
    frame->OnCommand(ID_FILE_NEW);
    QVERIFY(m_ui->m_questions.empty());
    SetClipboardText("PP");
    frame->OnCommand(ID_EDIT_PASTE);
    QCOMPARE(title(), QStringLiteral("*Velmar - Velmar"));
    frame->OnCommand(ID_FILE_SAVE);
    QVERIFY(m_ui->m_fileRequests.back().save);
    QCOMPARE(ReadFile(Path("a.txt")), "AAA"s);
    QCOMPARE(ReadFile(Path("b.txt")), "BBB"s);

    // The changed text: New and Exit ask, and Cancel keeps text and window.
    frame->OnCommand(ID_FILE_NEW);
    frame->OnCommand(ID_APP_EXIT);
    QCOMPARE(m_ui->m_questions.size(), std::size_t(2));
    QCOMPARE(m_ui->m_questions[0].text, Utf8("是否保存对“Velmar”的更改？"));
    QCOMPARE(m_ui->m_questions[0].caption, Utf8("Qorvel蒙文软件:"));
    QCOMPARE(g_strSource, "PP"s);
    QVERIFY(frame->isVisible());
    // Yes, but the name is not given: New does not go on either.
    m_ui->m_questionAnswers.push_back(Answer::Yes);
    frame->OnCommand(ID_FILE_NEW);
    QCOMPARE(g_strSource, "PP"s);
    // Yes, named: saved, then New.
    m_ui->m_questionAnswers.push_back(Answer::Yes);
    m_ui->m_saveAnswers.push_back(c);
    frame->OnCommand(ID_FILE_NEW);
    QCOMPARE(ReadFile(c), "PP"s);
    QCOMPARE(g_strSource, ""s);
    QCOMPARE(title(), QStringLiteral("Velmar - Velmar"));

    // Open into an empty text makes the document; into a non-empty one it
    // appends, and the document stays, changed.
    m_ui->m_openAnswers.push_back(c);
    frame->OnCommand(ID_FILE_OPEN);
    app.OpenDocumentFile(Path("b.txt"));  // as a drop or a recent file does
    QCOMPARE(g_strSource, "PPBBB"s);
    QCOMPARE(title(), QStringLiteral("*c.txt - Velmar"));
    QCOMPARE(app.GetDocument()->GetPathName(), QFileInfo(c).absoluteFilePath());

    // Copying twice puts the same bytes on the clipboard.
    frame->OnCommand(ID_EDIT_COPY);
    const std::string copied = ClipboardBytes();
    frame->OnCommand(ID_EDIT_COPY);
    QCOMPARE(ClipboardBytes(), copied);
    QCOMPARE(copied, g_strWeb + "\r\n");

    // Cut empties c.txt's text: a change. A file that would replace the
    // document asks first; then closing with No discards the change.
    frame->OnCommand(ID_EDIT_CUT);
    m_ui->m_openAnswers.push_back(Path("a.txt"));
    frame->OnCommand(ID_FILE_OPEN);  // Cancel
    QCOMPARE(g_strSource, ""s);
    QCOMPARE(title(), QStringLiteral("*c.txt - Velmar"));
    m_ui->m_questionAnswers.push_back(Answer::No);
    QVERIFY(frame->close());
    QCOMPARE(m_ui->m_questions.size(), std::size_t(6));
    QCOMPARE(ReadFile(c), "PP"s);
  }

  void printAndPreviewUseTheSameDrawing() {
    CVelmarApp app;
    QVERIFY(app.InitInstance({}, false));
    g_strSource = "AB CD";
    app.GetView()->OnRelayout();
    QPrinter& printer = app.GetDocument()->Printer();
    const QString pdf = Path("out.pdf");
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    app.GetMainWnd()->OnCommand(ID_FILE_PRINT);  // the print dialog is cancelled
    QVERIFY(!QFile::exists(pdf));
    m_ui->m_bPrintAnswer = true;
    app.GetMainWnd()->OnCommand(ID_FILE_PRINT);
    QCOMPARE(m_ui->m_nPrintDialogs, 2);
    QVERIFY(QFileInfo(pdf).size() > 500);
    app.GetMainWnd()->OnCommand(ID_FILE_PRINT_PREVIEW);
    QCOMPARE(m_ui->m_nPreviews, 1);
  }

  void renderWritesTheViewPicture() {
    WriteFile(Path("r.txt"), "AB CD EF");
    const QString png = Path("r.png");
    QCOMPARE(velmar::RunRender({QStringLiteral("--render"), png, QStringLiteral("--line-height"), QStringLiteral("0"),
                                QStringLiteral("--size=10"), Path("r.txt")}),
             0);
    const QImage image(png);
    QCOMPARE(image.size(), QSize(3 * 10 * 3 + 100, 150));
    QCOMPARE(velmar::RunRender({QStringLiteral("--render"), png, Path("missing.txt")}), 1);
    QCOMPARE(velmar::RunRender({QStringLiteral("--size"), QStringLiteral("x"), QStringLiteral("--render"), png}), 2);
  }

  void mainWindowScreenshot() {
    QFile sample(QStringLiteral(QORVEL_SOURCE_DIR "/samples/velmar_sample.txt"));
    QVERIFY(sample.exists());
    CVelmarApp app;
    g_nLineHeight = 200;
    QVERIFY(app.InitInstance({sample.fileName()}, true));
    CMainFrame* frame = app.GetMainWnd();
    frame->resize(760, 520);
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    frame->grab();  // the first paint sets the scroll sizes
    QApplication::processEvents();
    const QImage shot = frame->grab().toImage();
    QVERIFY(shot.save(QStringLiteral(QORVEL_TEST_OUTPUT_DIR "/velmar_main_window.png")));
    QVERIFY(!app.GetView()->horizontalScrollBar()->isVisible());
    // The dialogs as they are shown.
    CLineHeightDlg lineHeight;
    lineHeight.InitModal();
    QVERIFY(lineHeight.grab().save(QStringLiteral(QORVEL_TEST_OUTPUT_DIR "/velmar_line_height.png")));
    CAboutDlg about;
    about.InitModal();
    QVERIFY(about.grab().save(QStringLiteral(QORVEL_TEST_OUTPUT_DIR "/velmar_about.png")));
    // Something dark is drawn in the view, right of the first column's x.
    const QPoint origin = app.GetView()->viewport()->mapTo(frame, QPoint(0, 0));
    int dark = 0;
    for (int y = origin.y() + 10; y < origin.y() + 100; ++y)
      for (int x = origin.x() + 30; x < origin.x() + 120; ++x) dark += qGray(shot.pixel(x, y)) < 100;
    QVERIFY(dark > 20);
  }
};

QTEST_MAIN(VelmarTest)
#include "velmar_test.moc"
