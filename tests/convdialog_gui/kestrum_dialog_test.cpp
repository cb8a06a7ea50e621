// Kestrum's dialog on the shared shell: a conversion compared with the
// core's, the progress range, every message and the browse buttons.
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <climits>
#include <random>

#include "convdialog/conv_messages.h"
#include "dialog_test_support.h"
#include "codec/hasi.h"
#include "kestrum/kestrum_dlg.h"
#include "kestrum/kestrum_progress.h"

using namespace convtest;
using qorvel::platform::ScopedUi;

namespace {

const QString kFinished = QStringLiteral("转换结束");

// Hasi-code text: printable ASCII glyph bytes, prefixes with their
// followers, digits, spaces, line breaks, GBK pairs and stray control bytes
// (no NUL).
std::string HasiText(std::size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s;
  while (s.size() < size) {
    switch (rng() % 8) {
      case 0: case 1: case 2: case 3: s += static_cast<char>(0x21 + rng() % 0x5D); break;
      case 4: s += (rng() % 2 ? '`' : '~'); s += static_cast<char>(0x20 + rng() % 0x60); break;
      case 5: s += (rng() % 3 ? " " : "\r\n"); break;
      case 6: s += static_cast<char>(0xB0 + rng() % 0x40); s += static_cast<char>(0xA1 + rng() % 0x5E); break;
      default: s += static_cast<char>(1 + rng() % 0x1F); break;
    }
  }
  return s;
}

using Shown = ShownDialog<CKestrumDlg>;

std::string CoreOutput(const TempDir& dir, const std::string& input) {
  return convtest::CoreOutput<qorvel::HasiConverter>(dir, input);
}

}  // namespace

class KestrumDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void convertsAFileAsTheCoreDoes() {
    TempDir dir;
    TestUi ui;
    ScopedUi use(ui);
    Shown shown;
    CKestrumDlg& dlg = shown.dlg;
    const std::string input = HasiText(200 * 1024, 11);
    Spit(dir / "in.txt", input);
    QList<int> positions;
    connect(ProgressBar(dlg), &QProgressBar::valueChanged, this, [&](int value) { positions << value; });
    Convert(dlg, Q(dir / "in.txt"), Q(dir / "out.txt"));
    const std::string core = CoreOutput(dir, input);
    QCOMPARE(Messages(ui), QStringList{kFinished});
    QCOMPARE(Slurp(dir / "out.txt"), core);
    // Range twice the reads of the counting pass; the bar follows the bytes
    // converted, never goes back, and is full at the end.
    QCOMPARE(dlg.GetProgressMax(), 2 * (input.size() + 1));
    QCOMPARE(ProgressBar(dlg)->maximum(), static_cast<int>(2 * (input.size() + 1)));
    QVERIFY(std::is_sorted(positions.begin(), positions.end()));
    QCOMPARE(ProgressBar(dlg)->value(), ProgressBar(dlg)->maximum());
    QVERIFY(positions.size() >= 4);
    QCOMPARE(FilesIn(dir.path()), 2);
    SaveScreenshot(dlg, "kestrum_after_run.png");

    // A NUL byte ends the text; an empty file gives an empty output.
    const std::string withNul = HasiText(3000, 12) + '\0' + HasiText(3000, 13);
    for (const std::string& next : {withNul, std::string()}) {
      Spit(dir / "in.txt", next);
      ui.m_messages.clear();
      QTest::keyClick(dlg.GetDlgItem(IDC_INPUT), Qt::Key_Return);
      QCOMPARE(Messages(ui), QStringList{kFinished});
      QCOMPARE(Slurp(dir / "out.txt"), CoreOutput(dir, next));
    }
    QCOMPARE(ProgressBar(dlg)->maximum(), 2);
    QCOMPARE(ProgressBar(dlg)->value(), 2);
  }

  // Started as "kestrum FILE" (the desktop entry), then driven by keyboard.
  void commandLineFileAndKeyboardPath() {
    TempDir dir;
    Shown shown({QStringLiteral("kestrum"), QStringLiteral("/data/hasi text.txt")});
    QCOMPARE(shown.dlg.GetDlgItemText(IDC_INPUT), QStringLiteral("/data/hasi text.txt"));
    QCOMPARE(shown.dlg.GetDlgItemText(IDC_OUTPUT), QString());  // no output name offered
    const std::string input = HasiText(150 * 1024, 14);
    CheckKeyboardPath(shown.dlg, dir, input, CoreOutput(dir, input));
  }

  void progressBeyondTheControlsRangeIsScaled() {
    Shown shown;
    CKestrumDlg& dlg = shown.dlg;
    const std::uint64_t max = KestrumProgressRange(std::uint64_t{5} << 40);
    QCOMPARE(max, (std::uint64_t{5} << 41) + 2);  // twice the reads, not cut to 32 bits
    dlg.SetProgressRange(max);
    QCOMPARE(dlg.GetProgressMax(), max);
    QVERIFY(ProgressBar(dlg)->maximum() > INT_MAX / 2);
    dlg.SetProgressPos(max / 2);
    QVERIFY(qAbs(ProgressBar(dlg)->value() - ProgressBar(dlg)->maximum() / 2) <= 1);
    dlg.SetProgressPos(max);
    QCOMPARE(ProgressBar(dlg)->value(), ProgressBar(dlg)->maximum());
  }

  void failuresKeepTheirMessages() {
    TempDir dir;
    TestUi ui;
    ScopedUi use(ui);
    Shown shown;
    CKestrumDlg& dlg = shown.dlg;
    ProgressBar(dlg)->setRange(0, 77);
    Convert(dlg, QString(), Q(dir / "out.txt"));
    Convert(dlg, Q(dir / "in.txt"), QString());
    QCOMPARE(Messages(ui), (QStringList{QStringLiteral("请输入Qorvel98文件名(*.TXT)"),
                                        QStringLiteral("请输入Qorvel蒙文文件名(*.TXT)")}));
    QCOMPARE(ProgressBar(dlg)->maximum(), 77);  // not touched

    Spit(dir / "out.txt", "old");
    Convert(dlg, Q(dir / "缺少的文件.txt"), Q(dir / "out.txt"));
    QCOMPARE(ui.m_messages.at(2).text, FailureMessage("Open File Error !", "无法打开", dir / "缺少的文件.txt", ENOENT));
    QCOMPARE(ui.m_messages.at(2).caption, QStringLiteral("Kestrum"));

    Spit(dir / "in.txt", "abc");
    QTimer::singleShot(0, this, [&] { std::filesystem::remove(dir / "in.txt"); });
    Convert(dlg, Q(dir / "in.txt"), Q(dir / "out.txt"));
    QCOMPARE(FirstLine(ui.m_messages.at(3).text), QStringLiteral("Open File 1 Error !"));

    Spit(dir / "in.txt", "abc");
    Convert(dlg, Q(dir / "in.txt"), Q(dir / "no-such-folder/out.txt"));
    QCOMPARE(FirstLine(ui.m_messages.at(4).text), QStringLiteral("Open File 2 Error !"));

    Convert(dlg, Q(dir / "in.txt"), Q(dir.path() + "//in.txt"));
    QCOMPARE(FirstLine(ui.m_messages.at(5).text), Utf8(kConvMsgSameFile));

    Convert(dlg, Q(dir / "in.txt"), QStringLiteral("/dev/full"));
    QCOMPARE(FirstLine(ui.m_messages.at(6).text), Utf8(kConvMsgWriteError));
    QCOMPARE(ui.m_messages.size(), 7u);
    QVERIFY(!Messages(ui).contains(kFinished));
    QCOMPARE(Slurp(dir / "out.txt"), std::string("old"));
    QCOMPARE(Slurp(dir / "in.txt"), std::string("abc"));
    QCOMPARE(FilesIn(dir.path()), 2);
  }

  void browseButtonsOfferNoOutputName() {
    TestUi ui;
    ScopedUi use(ui);
    Shown shown;
    CKestrumDlg& dlg = shown.dlg;
    dlg.SetDlgItemText(IDC_OUTPUT, QStringLiteral("kept"));
    ui.m_openAnswers = {QStringLiteral("/data/hasi.txt")};
    ui.m_saveAnswers = {std::nullopt};
    dlg.ClickButton(IDC_BROWSE_INPUT);
    QCOMPARE(dlg.GetDlgItemText(IDC_INPUT), QStringLiteral("/data/hasi.txt"));
    QCOMPARE(dlg.GetDlgItemText(IDC_OUTPUT), QStringLiteral("kept"));  // no name offered
    dlg.ClickButton(IDC_BROWSE_OUTPUT);                                  // cancelled
    QCOMPARE(dlg.GetDlgItemText(IDC_OUTPUT), QStringLiteral("kept"));
    QCOMPARE(ui.m_fileRequests.size(), 2u);
    QVERIFY(!ui.m_fileRequests[0].save && ui.m_fileRequests[1].save);
  }

};

QTEST_MAIN(KestrumDialogTest)
#include "kestrum_dialog_test.moc"
