// The platform layer: code page 936 at the edges, the clipboard as bytes,
// dialogs from templates with data exchange, and the test Ui.
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <stdexcept>

#include "platform/clipboard.h"
#include "platform/cp936.h"
#include "platform/dc.h"
#include "platform/dialog.h"
#include "fileio/files.h"
#include "platform/failure_text.h"
#include "platform/test_ui.h"

using namespace qorvel::platform;

namespace {

const DialogTemplate kNumberDlg{900, "", "System", 10, 139, 34, false, {
    {IDOK, ControlKind::DefPushButton, "确定", 83, 4, 50, 12},
    {IDCANCEL, ControlKind::PushButton, "取消", 83, 18, 50, 12},
    {1000, ControlKind::Edit, "", 9, 11, 63, 12, kEsNumber},
    {1003, ControlKind::UpDown, "Spin1", 74, 12, 9, 10,
     kUdsSetBuddyInt | kUdsAlignRight | kUdsAutoBuddy | kUdsArrowKeys | kUdsNoThousands},
}};

class CNumberDlg : public CDialog {
 public:
  CNumberDlg() : CDialog(kNumberDlg) {}
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Control(pDX, 1003, m_spin);
    DDX_Text(pDX, 1000, m_nValue);
  }
  CSpinButtonCtrl m_spin;
  std::int32_t m_nValue = 100;
};

}  // namespace

class PlatformTest : public QObject {
  Q_OBJECT

 private slots:
  // A reason as Chinese Windows gives it (the core passes it on as UTF-8)
  // reaches the message as that text, framed in Chinese with the file.
  void failureReasonsAreTheirText() {
    using qorvel::IoError;
    QCOMPARE(FailureText(IoError(IoError::Kind::OpenInput, "Z:\\data\\nosuch.txt", "系统找不到指定的文件")),
             QStringLiteral("无法打开“Z:\\data\\nosuch.txt”：系统找不到指定的文件"));
    QCOMPARE(FailureText(IoError(IoError::Kind::WriteOutput, "输出.txt", "磁盘空间不足")),
             QStringLiteral("无法写入“输出.txt”：磁盘空间不足"));
    QCOMPARE(FailureText(std::runtime_error("线程无法启动")), QStringLiteral("线程无法启动"));
  }

  void userAreaMapsLikeWindows() {
    QCOMPARE(DecodeCp936("\xF8\xA2"), QString(QChar(0xE235)));
    QCOMPARE(DecodeCp936("\xF8\xA1\xF9\xA2"), QString(QChar(0xE234)) + QChar(0xE293));
    QCOMPARE(EncodeCp936(QString(QChar(0xE235))), std::string("\xF8\xA2"));
    QCOMPARE(EncodeCp936(QStringLiteral("中A")), std::string("\xD6\xD0" "A"));
    // Every GlyphCode the converters emit survives the round trip.
    for (int lead : {0xF8, 0xF9})
      for (int trail = 0xA1; trail <= 0xFE; ++trail) {
        const std::string code{static_cast<char>(lead), static_cast<char>(trail)};
        QCOMPARE(EncodeCp936(DecodeCp936(code)), code);
      }
  }

  void badBytesAndUnmappableCharactersAreMarkedNotDropped() {
    // A lead byte without its trail byte becomes U+FFFD; the text around stays.
    QCOMPARE(DecodeCp936("A\xF8"), QStringLiteral("A") + QChar(0xFFFD));
    QCOMPARE(DecodeCp936(std::string_view("A\0B", 3)), QStringLiteral("A") + QChar(0) + QChar('B'));
    // Characters code page 936 lacks become '?', one per character.
    QCOMPARE(EncodeCp936(QStringLiteral("a") + QChar(0x1820) + QStringLiteral("\U0001F600b")),
             std::string("a??b"));
    QCOMPARE(EncodeCp936(QString()), std::string());
  }

  void clipboardCarriesBytesBothWays() {
    QVERIFY(SetClipboardText("\xF8\xA2 A\r\n"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QString(QChar(0xE235)) + QStringLiteral(" A\r\n"));
    std::size_t size = 0;
    QVERIFY(GetClipboardTextSize(size));
    QCOMPARE(size, std::size_t(7));  // six bytes of text and the NUL
    QCOMPARE(ClipboardBytes(), std::string("\xF8\xA2 A\r\n"));

    // Text put there by another program arrives as code page 936.
    QGuiApplication::clipboard()->setText(QString(QChar(0xE235)) + QStringLiteral("中") + QChar(0x1820));
    QCOMPARE(ClipboardBytes(), std::string("\xF8\xA2\xD6\xD0?"));
    QVERIFY(GetClipboardTextSize(size));
    QCOMPARE(size, std::size_t(6));
  }

  void clipboardHelpersKeepTheirContracts() {
    ClearClipboard();
    std::size_t size = 77;
    QVERIFY(!GetClipboardTextSize(size));
    QCOMPARE(size, std::size_t(77));
    char buffer[8] = "xxxxxxx";
    QVERIFY(!GetClipboardText(buffer, sizeof buffer));
    QCOMPARE(buffer[0], '\0');

    // A block larger than its text: every byte is copied, as it is.
    SetClipboardBlock(std::string_view("AB\0junk\0", 8));
    QVERIFY(GetClipboardTextSize(size));
    QCOMPARE(size, std::size_t(8));
    char whole[9];
    QVERIFY(GetClipboardText(whole, sizeof whole));
    QCOMPARE(std::string(whole, 8), std::string("AB\0junk\0", 8));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("AB"));
    // A short buffer takes capacity - 1 bytes and a NUL.
    char small[3] = {'x', 'x', 'x'};
    QVERIFY(GetClipboardText(small, sizeof small));
    QCOMPARE(std::string(small, 3), std::string("AB\0", 3));
    QVERIFY(!GetClipboardText(small, 0));

    QVERIFY(SetClipboardText(""));
    QVERIFY(GetClipboardTextSize(size));
    QCOMPARE(size, std::size_t(1));
  }

  void integerExchangeRefusesWhatIsNotANumber() {
    TestUi ui;
    ScopedUi use(ui);
    CNumberDlg dlg;
    dlg.InitModal();
    QCOMPARE(dlg.GetDlgItemText(1000), QStringLiteral("100"));
    for (const char* bad : {"abc", "", "12x", "99999999999", "1 2"}) {
      dlg.SetDlgItemText(1000, QString::fromUtf8(bad));
      QVERIFY2(!dlg.ClickButton(IDOK), bad);
      QCOMPARE(ui.m_messages.back().text, QStringLiteral("请输入一个整数。"));
    }
    QCOMPARE(ui.m_messages.size(), std::size_t(5));
    QCOMPARE(dlg.m_nValue, 100);
    dlg.SetDlgItemText(1000, QStringLiteral(" -5 "));
    QVERIFY(dlg.ClickButton(IDOK));
    QCOMPARE(dlg.GetResult(), IDOK);
    QCOMPARE(dlg.m_nValue, -5);
  }

  void upDownStepsItsBuddyWithinItsRange() {
    CNumberDlg dlg;
    dlg.InitModal();
    QVERIFY(dlg.m_spin.IsAttached());
    dlg.m_spin.SetRange(50, 1000);
    dlg.m_spin.Step(true);
    QCOMPARE(dlg.GetDlgItemText(1000), QStringLiteral("101"));
    dlg.SetDlgItemText(1000, QStringLiteral("50"));
    dlg.m_spin.Step(false);
    QCOMPARE(dlg.GetDlgItemText(1000), QStringLiteral("50"));
    dlg.SetDlgItemText(1000, QStringLiteral("5000"));
    dlg.m_spin.Step(true);
    QCOMPARE(dlg.GetDlgItemText(1000), QStringLiteral("1000"));
    // Arrow keys in the buddy step too; letters cannot be typed.
    auto* edit = qobject_cast<QLineEdit*>(dlg.GetDlgItem(1000));
    QVERIFY(edit);
    QTest::keyClick(edit, Qt::Key_Down);
    QCOMPARE(edit->text(), QStringLiteral("999"));
    edit->setCursorPosition(3);
    QTest::keyClicks(edit, "a7");
    QCOMPARE(edit->text(), QStringLiteral("9997"));
    // The up-down sits inside the buddy's right edge.
    QVERIFY(dlg.GetDlgItem(1003)->geometry().left() > edit->geometry().left());
    QCOMPARE(dlg.GetDlgItem(1003)->geometry().left(), edit->geometry().right() + 1);
  }

  // On the screen, as the line height dialog: the focus starts in the
  // number with its text selected, so typing replaces it; Enter in the edit
  // is OK; Enter on the focused Cancel is Cancel; Escape is Cancel.
  void keyboardDrivesTheDialog() {
    struct Run {
      bool focused = false;  // in the edit, once the window is active
      QString selected;
      int result = 0;
      std::int32_t value = 0;
    };
    const auto run = [](const std::function<void(CNumberDlg&, QLineEdit*)>& keys) {
      CNumberDlg dlg;
      Run r;
      QTimer::singleShot(0, &dlg, [&] {
        auto* edit = qobject_cast<QLineEdit*>(dlg.GetDlgItem(1000));
        r.focused = QTest::qWaitForWindowActive(&dlg) && QApplication::focusWidget() == edit;
        r.selected = edit->selectedText();
        keys(dlg, edit);
        if (!dlg.HasEnded()) dlg.EndDialog(-1);
      });
      r.result = dlg.DoModal();  // the real dialog, not the test Ui
      r.value = dlg.m_nValue;
      return r;
    };
    const Run typed = run([](CNumberDlg&, QLineEdit* edit) {
      QTest::keyClicks(edit, "250");
      QTest::keyClick(edit, Qt::Key_Return);
    });
    QVERIFY(typed.focused);
    QCOMPARE(typed.selected, QStringLiteral("100"));
    QCOMPARE(typed.result, IDOK);
    QCOMPARE(typed.value, 250);

    const Run cancelled = run([](CNumberDlg& dlg, QLineEdit* edit) {
      QTest::keyClicks(edit, "7");
      QTest::keyClick(edit, Qt::Key_Backtab, Qt::ShiftModifier);
      QCOMPARE(QApplication::focusWidget(), dlg.GetDlgItem(IDCANCEL));
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    QCOMPARE(cancelled.result, IDCANCEL);
    QCOMPARE(cancelled.value, 100);

    const Run escaped = run([](CNumberDlg&, QLineEdit* edit) {
      QTest::keyClicks(edit, "8");
      QTest::keyClick(edit, Qt::Key_Escape);
    });
    QCOMPARE(escaped.result, IDCANCEL);
    QCOMPARE(escaped.value, 100);
  }

  void testUiAnswersDialogsAndCancelsByDefault() {
    TestUi ui;
    {
      ScopedUi use(ui);
      CNumberDlg first;
      QCOMPARE(first.DoModal(), IDCANCEL);  // no script
      ui.m_dialogScripts.push_back([](CDialog& dlg) {
        dlg.SetDlgItemText(1000, QStringLiteral("x"));
        QVERIFY(!dlg.ClickButton(IDOK));
        dlg.SetDlgItemText(1000, QStringLiteral("70"));
        QVERIFY(dlg.ClickButton(IDOK));
      });
      CNumberDlg second;
      QCOMPARE(second.DoModal(), IDOK);
      QCOMPARE(second.m_nValue, 70);
      QCOMPARE(ui.m_dialogs, std::vector<int>({900, 900}));
      QVERIFY(!CurrentUi().GetOpenFileName(nullptr, "t", {}));
    }
    QVERIFY(&CurrentUi() != &ui);
  }

  void recordingDcSeesFontAndText() {
    CRecordingDC dc(QRect(0, 0, 100, 100));
    CFont font;
    font.CreateFont(17, 7, -900, 0, 400, false, false, false, 1, 2, 1, 0, 2, "F");
    CFont* old = dc.SelectObject(&font);
    QCOMPARE(old, static_cast<CFont*>(nullptr));
    dc.SetBkMode(TRANSPARENT);
    dc.TextOut(5, 6, "\xF8\xA2");
    QCOMPARE(dc.m_textOuts.size(), std::size_t(1));
    QCOMPARE(dc.m_textOuts[0].font.height, 17);
    QCOMPARE(dc.m_textOuts[0].font.escapement, -900);
    QCOMPARE(dc.m_textOuts[0].bkMode, TRANSPARENT);
  }

  void painterDcDrawsTurnedTextLeftOfTheReferencePoint() {
    QImage image(200, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      CPainterDC dc(painter, image.rect());
      CFont font;
      font.CreateFont(20, 0, -900, 0, 400, false, false, false, 1, 2, 1, 0, 2, "DejaVu Sans");
      dc.SelectObject(&font);
      dc.SetBkMode(TRANSPARENT);
      dc.SetTextColor(RGB(0, 0, 0));
      dc.TextOut(100, 10, "HHHHHHHH");
    }
    // Turned clockwise: the text runs down from y = 10, in the cell left of x = 100.
    int left = 200, right = -1, top = 200, bottom = -1;
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 200; ++x)
        if (qGray(image.pixel(x, y)) < 128) {
          left = std::min(left, x);
          right = std::max(right, x);
          top = std::min(top, y);
          bottom = std::max(bottom, y);
        }
    QVERIFY(right >= 0);
    QVERIFY2(right <= 100 && left >= 78, qPrintable(QStringLiteral("%1..%2").arg(left).arg(right)));
    QVERIFY(top >= 10);
    QVERIFY(bottom - top > right - left);
  }
};

QTEST_MAIN(PlatformTest)
#include "platform_test.moc"
