// Orlenta's dialog driven as a user would: a conversion compared with the
// core's, every message, the browse buttons, the command line and the About
// entry.
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

}  // namespace

class OrlentaDialogTest : public QObject {
  Q_OBJECT

 private slots:
  // The range is the reads: every byte and the end of the file. The bar
  // moves with the status showing. Again into the same output: a NUL byte
  // ends the text, the empty file gives an empty output, and nothing of the
  // first run shows up.
  void convertsAFileAsTheCoreDoes() {
    TempDir dir;
    Shown shown;
    COrlentaDlg& dlg = shown.dlg;
    const auto convert = [&](const std::string& input) {
      return CheckConversion<qorvel::MengkeliFileConverter>(dlg, dir, input, input.size() + 1);
    };
    QStringList statuses;
    connect(ProgressBar(dlg), &QProgressBar::valueChanged, this,
            [&] { statuses << dlg.GetDlgItemText(IDC_STATUS); });
    QVERIFY(convert(MengkeliText(300 * 1024, 7)).size() >= 5);
    QVERIFY(statuses.contains(QStringLiteral("正在转换...")));
    QCOMPARE(dlg.GetDlgItemText(IDC_STATUS), kFinishedStatus);
    SaveScreenshot(dlg, "orlenta_after_run.png");
    convert(MengkeliText(5000, 8) + '\0' + MengkeliText(5000, 9));
    convert(std::string());
  }

  // 中国人 among Mengkeli units, a control byte, then a NUL and more text.
  void saysWhatWasDroppedAndKeepsOtherText() {
    TempDir dir;
    Shown shown;
    CheckLossReport<qorvel::MengkeliFileConverter>(shown.dlg, dir,
                                                   std::string("\xF8\xA2 \xD6\xD0\xB9\xFA\xC8\xCB\x01 \xF8\xA2\0tail", 18));
    SaveScreenshot(shown.dlg, "orlenta_keep.png");
  }

  void keyboardPath() {
    TempDir dir;
    Shown shown;
    // The NUL byte ends the reads short of the range; the bar still fills.
    const std::string input = MengkeliText(150 * 1024, 21) + '\0' + MengkeliText(1000, 22);
    CheckKeyboardPath(shown.dlg, dir, input, CoreOutput<qorvel::MengkeliFileConverter>(dir, input));
  }

  void failuresKeepTheirMessages() {
    TempDir dir;
    Shown shown;
    CheckFailurePath(shown.dlg, dir, MengkeliText(3000, 4),
                     {"请输入蒙科立蒙文文件名(*.TXT)", "请输入Qorvel蒙文文件名(*.TXT)", "Open File 1 Error !",
                      "Open File 01 Error !", "Open File 2 Error !", "Orlenta"});
    QCOMPARE(shown.dlg.GetDlgItemText(IDC_STATUS), kReady);
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
