// Kestrum's dialog on the shared shell: a conversion compared with the
// core's, the progress range, every message and the browse buttons.
#include <QtTest>

#include <climits>
#include <random>

#include "dialog_test_support.h"
#include "codec/hasi.h"
#include "kestrum/kestrum_dlg.h"
#include "kestrum/kestrum_progress.h"

using namespace convtest;
using qorvel::platform::ScopedUi;

namespace {

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

}  // namespace

class KestrumDialogTest : public QObject {
  Q_OBJECT

 private slots:
  // The range is twice the reads of the counting pass: the bytes and the
  // read that meets the end. A NUL byte ends the text; an empty file gives
  // an empty output.
  void convertsAFileAsTheCoreDoes() {
    TempDir dir;
    Shown shown;
    const auto convert = [&](const std::string& input) {
      return CheckConversion<qorvel::HasiConverter>(shown.dlg, dir, input, 2 * (input.size() + 1));
    };
    QVERIFY(convert(HasiText(200 * 1024, 11)).size() >= 4);
    SaveScreenshot(shown.dlg, "kestrum_after_run.png");
    convert(HasiText(3000, 12) + '\0' + HasiText(3000, 13));
    convert(std::string());
  }

  // A control byte and a prefix step that gives nothing, then a NUL and
  // more text.
  void saysWhatWasDroppedAndKeepsOtherText() {
    TempDir dir;
    Shown shown;
    CheckLossReport<qorvel::HasiConverter>(shown.dlg, dir, std::string("AB\x01" "C`\x02" "D\0tail", 12));
  }

  // Started as "kestrum FILE" (the desktop entry), then driven by keyboard.
  void commandLineFileAndKeyboardPath() {
    TempDir dir;
    Shown shown({QStringLiteral("kestrum"), QStringLiteral("/data/hasi text.txt")});
    QCOMPARE(shown.dlg.GetDlgItemText(IDC_INPUT), QStringLiteral("/data/hasi text.txt"));
    QCOMPARE(shown.dlg.GetDlgItemText(IDC_OUTPUT), QString());  // no output name offered
    const std::string input = HasiText(150 * 1024, 14);
    CheckKeyboardPath(shown.dlg, dir, input, CoreOutput<qorvel::HasiConverter>(dir, input));
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
    Shown shown;
    CheckFailurePath(shown.dlg, dir, HasiText(3000, 15),
                     {"请输入Qorvel98文件名(*.TXT)", "请输入Qorvel蒙文文件名(*.TXT)", "Open File Error !",
                      "Open File 1 Error !", "Open File 2 Error !", "Kestrum"});
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
