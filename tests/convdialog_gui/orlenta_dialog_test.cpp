// Orlenta's dialog driven as a user would: a conversion compared with the
// core's, every message, the browse buttons, the command line and the About
// entry.
#include <QTimer>
#include <QtTest>
#include <random>

#include "convdialog/conv_messages.h"
#include "dialog_test_support.h"
#include "codec/mengkeli_file.h"
#include "orlenta/orlenta_dlg.h"

using namespace convtest;
using qorvel::platform::IDCANCEL;
using qorvel::platform::ScopedUi;

namespace {

const QString kReady = QStringLiteral("准备转换...");
const QString kFinishedStatus = QStringLiteral("转换结束   ");
const QString kFinished = QStringLiteral("转换结束");

// Mengkeli-code text: words of code units between spaces, line breaks,
// ASCII, the two translated GBK pairs and stray bytes (no NUL).
std::string MengkeliText(std::size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s;
  while (s.size() < size) {
    switch (rng() % 10) {
      case 0: case 1: case 2: case 3: case 4:
        s += static_cast<char>(0xF8 + rng() % 4);
        s += static_cast<char>(0xA1 + rng() % 0x5E);
        break;
      case 5: s.append(1 + rng() % 5, ' '); break;
      case 6: s += "\r\n"; break;
      case 7: s += static_cast<char>('A' + rng() % 26); break;
      case 8: s += (rng() % 2) ? "\xA1\xA4" : "\xA3\xA5"; break;
      default: s += static_cast<char>(1 + rng() % 255); break;
    }
  }
  return s;
}

using Shown = ShownDialog<COrlentaDlg>;

std::string CoreOutput(const TempDir& dir, const std::string& input) {
  return convtest::CoreOutput<qorvel::MengkeliFileConverter>(dir, input);
}

}  // namespace

class OrlentaDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void convertsAFileAsTheCoreDoes() {
    TempDir dir;
    TestUi ui;
    ScopedUi use(ui);
    Shown shown;
    COrlentaDlg& dlg = shown.dlg;
    const std::string input = MengkeliText(300 * 1024, 7);
    Spit(dir / "in.txt", input);

    // The bar moves, with the status showing, during the conversion.
    QList<int> positions;
    QStringList statuses;
    connect(ProgressBar(dlg), &QProgressBar::valueChanged, this, [&](int value) {
      positions << value;
      statuses << dlg.GetDlgItemText(IDC_STATUS);
    });
    Convert(dlg, Q(dir / "in.txt"), Q(dir / "out.txt"));
    QCOMPARE(Messages(ui), QStringList{kFinished});
    QCOMPARE(Slurp(dir / "out.txt"), CoreOutput(dir, input));
    QCOMPARE(dlg.GetDlgItemText(IDC_STATUS), kFinishedStatus);
    QCOMPARE(dlg.GetProgressMax(), input.size() + 1);
    QCOMPARE(ProgressBar(dlg)->value(), static_cast<int>(input.size() + 1));
    QVERIFY2(positions.size() >= 5, qPrintable(QString::number(positions.size())));
    QVERIFY(statuses.contains(QStringLiteral("正在转换...")));
    QCOMPARE(FilesIn(dir.path()), 2);  // in.txt, out.txt: no temporary file left
    SaveScreenshot(dlg, "orlenta_after_run.png");

    // Again into the same output: a NUL byte ends the text, the empty file
    // gives an empty output. Nothing of the first run shows up.
    const std::string withNul = MengkeliText(5000, 8) + '\0' + MengkeliText(5000, 9);
    for (const std::string& next : {withNul, std::string()}) {
      Spit(dir / "in.txt", next);
      ui.m_messages.clear();
      QTest::keyClick(dlg.GetDlgItem(IDC_INPUT), Qt::Key_Enter);
      QCOMPARE(Messages(ui), QStringList{kFinished});
      QCOMPARE(Slurp(dir / "out.txt"), CoreOutput(dir, next));
    }
    QCOMPARE(ProgressBar(dlg)->maximum(), 1);  // the empty file: its one read
    QCOMPARE(ProgressBar(dlg)->value(), 1);
  }

  void keyboardPath() {
    TempDir dir;
    Shown shown;
    // The NUL byte ends the reads short of the range; the bar still fills.
    const std::string input = MengkeliText(150 * 1024, 21) + '\0' + MengkeliText(1000, 22);
    CheckKeyboardPath(shown.dlg, dir, input, CoreOutput(dir, input));
  }

  void emptyPathsAreAskedFor() {
    TempDir dir;
    TestUi ui;
    ScopedUi use(ui);
    Shown shown;
    Convert(shown.dlg, QString(), Q(dir / "out.txt"));
    Convert(shown.dlg, Q(dir / "in.txt"), QString());
    QCOMPARE(Messages(ui), (QStringList{QStringLiteral("请输入蒙科立蒙文文件名(*.TXT)"),
                                        QStringLiteral("请输入Qorvel蒙文文件名(*.TXT)")}));
    QCOMPARE(FilesIn(dir.path()), 0);
    QCOMPARE(shown.dlg.GetDlgItemText(IDC_STATUS), kReady);
  }

  void openFailuresKeepTheirMessages() {
    TempDir dir;
    TestUi ui;
    ScopedUi use(ui);
    Shown shown;
    COrlentaDlg& dlg = shown.dlg;
    Spit(dir / "out.txt", "old");

    // The fixed first line, then the file (a Chinese name here) and the
    // system's reason, both as the text they are.
    const std::string absent = dir / "缺少的文件.txt";
    Convert(dlg, Q(absent), Q(dir / "out.txt"));
    QCOMPARE(ui.m_messages.size(), 1u);
    QCOMPARE(ui.m_messages[0].text, FailureMessage("Open File 1 Error !", "无法打开", absent, ENOENT));
    QCOMPARE(ui.m_messages[0].caption, QStringLiteral("Orlenta"));

    // The input goes away between the counting and the conversion.
    Spit(dir / "in.txt", "AB CD");
    QTimer::singleShot(0, this, [&] { std::filesystem::remove(dir / "in.txt"); });
    Convert(dlg, Q(dir / "in.txt"), Q(dir / "out.txt"));
    QCOMPARE(ui.m_messages.size(), 2u);
    QCOMPARE(ui.m_messages[1].text, FailureMessage("Open File 01 Error !", "无法打开", dir / "in.txt", ENOENT));
    QCOMPARE(dlg.GetDlgItemText(IDC_STATUS), kReady);

    Spit(dir / "in.txt", "AB CD");
    Convert(dlg, Q(dir / "in.txt"), Q(dir / "no-such-folder/out.txt"));
    QCOMPARE(ui.m_messages.size(), 3u);
    QCOMPARE(ui.m_messages[2].text,
             FailureMessage("Open File 2 Error !", "无法写入", dir / "no-such-folder/out.txt", ENOENT));
    QCOMPARE(Slurp(dir / "out.txt"), std::string("old"));
    QCOMPARE(FilesIn(dir.path()), 2);
  }

  void outputThatIsTheInputIsRefused() {
    TempDir dir;
    TestUi ui;
    ScopedUi use(ui);
    Shown shown;
    const std::string input = MengkeliText(2000, 3);
    Spit(dir / "in.txt", input);
    std::filesystem::create_symlink(dir / "in.txt", dir / "link.txt");
    for (const std::string& out : {dir / "in.txt", dir.path() + "/./in.txt", dir / "link.txt"}) {
      ui.m_messages.clear();
      Convert(shown.dlg, Q(dir / "in.txt"), Q(out));
      QCOMPARE(ui.m_messages.size(), 1u);
      QCOMPARE(ui.m_messages[0].text, Utf8(kConvMsgSameFile) + QStringLiteral("\n\n无法写入“") + Q(out) +
                                          QStringLiteral("”：它就是输入文件"));
    }
    QCOMPARE(Slurp(dir / "in.txt"), input);
    QCOMPARE(FilesIn(dir.path()), 2);
  }

  void writeAndReadErrorsAreFailures() {
    TempDir dir;
    TestUi ui;
    ScopedUi use(ui);
    Shown shown;
    COrlentaDlg& dlg = shown.dlg;
    Spit(dir / "in.txt", MengkeliText(3000, 4));
    Convert(dlg, Q(dir / "in.txt"), QStringLiteral("/dev/full"));
    QCOMPARE(ui.m_messages.size(), 1u);
    QCOMPARE(ui.m_messages[0].text, FailureMessage(kConvMsgWriteError, "无法写入", "/dev/full", ENOSPC));
    QCOMPARE(dlg.GetDlgItemText(IDC_STATUS), kReady);

    // Reading /proc/self/mem from its start fails.
    Convert(dlg, QStringLiteral("/proc/self/mem"), Q(dir / "out.txt"));
    QCOMPARE(ui.m_messages.size(), 2u);
    QCOMPARE(ui.m_messages[1].text, FailureMessage(kConvMsgReadError, "无法读取", "/proc/self/mem", EIO));
    QVERIFY(!QFile::exists(Q(dir / "out.txt")));
  }

  void fullDiskKeepsTheOldOutput() {
    TempDir dir;
    TinyTmpfs tiny(dir);
    if (!tiny.Mounted()) QSKIP("cannot mount a tmpfs here");
    TestUi ui;
    ScopedUi use(ui);
    Shown shown;
    Spit(dir / "in.txt", MengkeliText(400 * 1024, 5));
    Spit(tiny / "out.txt", "precious");
    Convert(shown.dlg, Q(dir / "in.txt"), Q(tiny / "out.txt"));
    QCOMPARE(ui.m_messages.size(), 1u);
    QCOMPARE(FirstLine(ui.m_messages[0].text), Utf8(kConvMsgWriteError));
    QVERIFY(shown.dlg.GetDlgItemText(IDC_STATUS) != kFinishedStatus);
    QCOMPARE(Slurp(tiny / "out.txt"), std::string("precious"));
    QCOMPARE(FilesIn(tiny.path()), 1);
  }

  void browseButtonsFillTheEdits() {
    TestUi ui;
    ScopedUi use(ui);
    Shown shown;
    COrlentaDlg& dlg = shown.dlg;
    ui.m_openAnswers = {QStringLiteral("C:\\a.txt"), QStringLiteral("/data/x"), std::nullopt};
    ui.m_saveAnswers = {QStringLiteral("/data/chosen.txt")};

    QTest::mouseClick(dlg.GetDlgItem(IDC_BROWSE_INPUT), Qt::LeftButton);
    QCOMPARE(dlg.GetDlgItemText(IDC_INPUT), QStringLiteral("C:\\a.txt"));
    QCOMPARE(dlg.GetDlgItemText(IDC_OUTPUT), QStringLiteral("C:\\a_qv.txt"));
    dlg.ClickButton(IDC_BROWSE_INPUT);  // no four-character extension: still four go
    QCOMPARE(dlg.GetDlgItemText(IDC_OUTPUT), QStringLiteral("/da_qv.txt"));
    dlg.ClickButton(IDC_BROWSE_INPUT);  // cancelled
    QCOMPARE(dlg.GetDlgItemText(IDC_INPUT), QStringLiteral("/data/x"));
    QCOMPARE(dlg.GetDlgItemText(IDC_OUTPUT), QStringLiteral("/da_qv.txt"));
    dlg.ClickButton(IDC_BROWSE_OUTPUT);
    QCOMPARE(dlg.GetDlgItemText(IDC_INPUT), QStringLiteral("/data/x"));
    QCOMPARE(dlg.GetDlgItemText(IDC_OUTPUT), QStringLiteral("/data/chosen.txt"));
    QCOMPARE(DefaultOutputName(QStringLiteral("ab")), QStringLiteral("_qv.txt"));

    QCOMPARE(ui.m_fileRequests.size(), 4u);
    QVERIFY(!ui.m_fileRequests[0].save && ui.m_fileRequests[3].save);
  }

  void commandLineNamesTheInput() {
    Shown quoted({QStringLiteral("orlenta"), QStringLiteral(" \"/data/mk text.txt\"")});
    QCOMPARE(quoted.dlg.GetDlgItemText(IDC_INPUT), QStringLiteral("/data/mk text.txt"));
    QCOMPARE(quoted.dlg.GetDlgItemText(IDC_OUTPUT), QStringLiteral("/data/mk text_qv.txt"));
    Shown plain({QStringLiteral("orlenta"), QStringLiteral("a.txt")});
    QCOMPARE(plain.dlg.GetDlgItemText(IDC_OUTPUT), QStringLiteral("a_qv.txt"));
    for (const QStringList& none : {QStringList{QStringLiteral("orlenta")},
                                    QStringList{QStringLiteral("orlenta"), QStringLiteral(" ")}}) {
      Shown shown(none);
      QCOMPARE(shown.dlg.GetDlgItemText(IDC_INPUT), QString());
      QCOMPARE(shown.dlg.GetDlgItemText(IDC_OUTPUT), QString());
    }
  }

  void aboutIsOnTheContextMenuAndF1() {
    TestUi ui;
    ScopedUi use(ui);
    Shown shown;
    COrlentaDlg& dlg = shown.dlg;
    ui.m_popupAnswers = {static_cast<int>(IDM_ABOUTBOX)};
    ui.m_dialogScripts.push_back([](qorvel::platform::CDialog& about) {
      SaveScreenshot(about, "orlenta_about.png");
      QVERIFY(about.ClickButton(1));
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), dlg.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&dlg, &event);
    QCOMPARE(ui.m_popups.size(), 1u);
    QCOMPARE(ui.m_popups[0].entries.size(), 1u);
    QCOMPARE(ui.m_popups[0].entries[0].id, static_cast<int>(IDM_ABOUTBOX));
    QCOMPARE(ui.m_dialogs, std::vector<int>{IDD_ABOUTBOX});

    QTest::keyClick(dlg.GetDlgItem(IDC_INPUT), Qt::Key_F1);
    dlg.OnSysCommand(31, 0);    // any of 16..31
    dlg.OnSysCommand(0xF060, 0);  // closing is not ours
    QCOMPARE(ui.m_dialogs, (std::vector<int>{IDD_ABOUTBOX, IDD_ABOUTBOX, IDD_ABOUTBOX}));
    QVERIFY(!dlg.HasEnded());
  }

  void escapeExitAndTheCloseBoxEndTheDialog() {
    TestUi ui;
    ScopedUi use(ui);
    Shown byEscape;
    QTest::keyClick(byEscape.dlg.GetDlgItem(IDC_INPUT), Qt::Key_Escape);
    QVERIFY(byEscape.dlg.HasEnded());
    QCOMPARE(byEscape.dlg.GetResult(), IDCANCEL);

    // Enter on the focused exit button presses that button, not convert.
    Shown byExit;
    byExit.dlg.activateWindow();
    byExit.dlg.GetDlgItem(2)->setFocus();
    QTest::keyClick(byExit.dlg.GetDlgItem(2), Qt::Key_Return);
    QVERIFY(byExit.dlg.HasEnded());

    Shown byCloseBox;
    byCloseBox.dlg.close();
    QVERIFY(byCloseBox.dlg.HasEnded());
    QVERIFY(ui.m_messages.empty());  // no conversion was tried
  }
};

QTEST_MAIN(OrlentaDialogTest)
#include "orlenta_dialog_test.moc"
