#pragma once
// Helpers for driving the converter dialogs as a user would: files in a
// fresh folder, the edits filled in, the convert button pressed with Enter,
// and a look at what the message boxes said.

#include <sys/mount.h>

#include <cerrno>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <QtTest>
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>

#include "convdialog/conv_dialog.h"
#include "convdialog/conv_messages.h"
#include "fileio/convert_file.h"
#include "platform/test_ui.h"
#include "tests/support/temp_files.h"

namespace convtest {

using qorvel::platform::TestUi;
using qorvel::testing::Slurp;
using qorvel::testing::Spit;
using qorvel::testing::TempDir;

inline QString Q(const std::string& s) { return QString::fromStdString(s); }
inline QString Utf8(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

inline QString FirstLine(const QString& text) { return text.section(QLatin1Char('\n'), 0, 0); }

// The texts of the message boxes shown so far.
inline QStringList Messages(const TestUi& ui) {
  QStringList texts;
  for (const TestUi::Message& m : ui.m_messages) texts << m.text;
  return texts;
}

// The dialog `Dlg` after OnInitDialog, as on the screen, started with
// `arguments` (the program first).
template <class Dlg>
struct ShownDialog {
  explicit ShownDialog(QStringList arguments = {QStringLiteral("program")}) : dlg(std::move(arguments)) {
    dlg.InitModal();
    dlg.show();
  }
  struct Started : Dlg {
    explicit Started(QStringList arguments) : m_arguments(std::move(arguments)) {}
    QStringList GetProgramArguments() const override { return m_arguments; }
    QStringList m_arguments;
  } dlg;
};

// What the core (and so the qorvel command line) makes of the file
// `input` with a fresh `Converter`, and what it lost.
template <class Converter>
std::string CoreOutput(const TempDir& dir, const std::string& input, bool keep = false,
                       qorvel::ConversionResult* result = nullptr) {
  Spit(dir / "core-in", input);
  Converter converter({.keep = keep});
  const qorvel::ConversionResult r = qorvel::ConvertFile(dir / "core-in", dir / "core-out", converter, nullptr);
  if (result) *result = r;
  const std::string out = Slurp(dir / "core-out");
  std::filesystem::remove(dir / "core-in");
  std::filesystem::remove(dir / "core-out");
  return out;
}

// The message at the end of a run of `input`, as the user reads it:
// "转换结束", then a line for the bytes the core dropped (the count and
// the first one's offset) and one for a NUL that ended the text early.
template <class Converter>
QString EndMessage(const TempDir& dir, const std::string& input, bool keep = false) {
  qorvel::ConversionResult r;
  CoreOutput<Converter>(dir, input, keep, &r);
  QString text = QStringLiteral("转换结束");
  if (r.dropped.count > 0)
    text += QStringLiteral("\n有 %1 个字节无法转换，已略去（第一个在第 %2 字节）。").arg(r.dropped.count).arg(r.dropped.first[0]);
  if (r.endedAtNul && input.find_first_not_of('\0', r.consumed) != std::string::npos)
    text += QStringLiteral("\n文本在第 %1 字节的 NUL 处结束，其后 %2 个字节未转换。")
                .arg(r.consumed - 1)
                .arg(input.size() - r.consumed);
  return text;
}

// A failure's message as the user reads it: its first line, a blank line,
// then the file and the system's reason (errno `err`) framed in Chinese by
// `verb` (无法打开, 无法读取, 无法写入).
inline QString FailureMessage(std::string_view firstLine, const char* verb, const std::string& path, int err) {
  return Utf8(firstLine) + QStringLiteral("\n\n") + QString::fromUtf8(verb) + u'“' + Q(path) + QStringLiteral("”：") +
         Utf8(qorvel::ErrnoText(err));
}

// Fills the two edits and presses Enter in the output edit.
inline void Convert(CConvDialog& dlg, const QString& input, const QString& output) {
  dlg.SetDlgItemText(IDC_INPUT, input);
  dlg.SetDlgItemText(IDC_OUTPUT, output);
  QTest::keyClick(dlg.GetDlgItem(IDC_OUTPUT), Qt::Key_Return);
}

inline QProgressBar* ProgressBar(const CConvDialog& dlg) {
  return qobject_cast<QProgressBar*>(dlg.GetDlgItem(IDC_PROGRESS));
}

// Files other than the ones named: temporary files left behind.
inline int FilesIn(const std::string& dir) {
  int n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir)) ++n;
  return n;
}

// A conversion of `input` (put in in.txt) into out.txt, started with Enter
// in the input edit: the output is the core's, "转换结束" the one message,
// the bar's range `range` (the reads it counts), and the bar moves forward
// only and ends full; no temporary file is left. The bar's positions.
template <class Converter>
QList<int> CheckConversion(CConvDialog& dlg, const TempDir& dir, const std::string& input, std::uint64_t range) {
  TestUi ui;
  qorvel::platform::ScopedUi use(ui);
  Spit(dir / "in.txt", input);
  dlg.SetDlgItemText(IDC_INPUT, Q(dir / "in.txt"));
  dlg.SetDlgItemText(IDC_OUTPUT, Q(dir / "out.txt"));
  QList<int> positions;
  const QMetaObject::Connection watch =
      QObject::connect(ProgressBar(dlg), &QProgressBar::valueChanged, [&](int value) { positions << value; });
  QTest::keyClick(dlg.GetDlgItem(IDC_INPUT), Qt::Key_Return);
  QObject::disconnect(watch);
  [&] {
    QCOMPARE(Messages(ui), QStringList{EndMessage<Converter>(dir, input)});
    QCOMPARE(Slurp(dir / "out.txt"), CoreOutput<Converter>(dir, input));
    QCOMPARE(dlg.GetProgressMax(), range);
    QCOMPARE(ProgressBar(dlg)->maximum(), static_cast<int>(range));
    QCOMPARE(ProgressBar(dlg)->value(), ProgressBar(dlg)->maximum());
    QVERIFY(std::is_sorted(positions.begin(), positions.end()));
    QCOMPARE(FilesIn(dir.path()), 2);
  }();
  return positions;
}

// A user's keyboard path through a dialog just shown, with `input` in
// in.txt (converted it gives `expected`) and "old" in out.txt. The focus
// waits in the input edit; the user types its path, Tab, the output path
// and Enter: "转换结束" with a full bar. Then an output in a folder that
// does not exist: the failure empties the bar. Then Escape during a run
// (typed keys wait in the queue until the run repaints): the dialog closes,
// the run stops and the old output stays, with no temporary file left.
inline void CheckKeyboardPath(CConvDialog& dlg, const TempDir& dir, const std::string& input,
                              const std::string& expected) {
  TestUi ui;
  qorvel::platform::ScopedUi use(ui);
  Spit(dir / "in.txt", input);
  Spit(dir / "out.txt", "old");
  dlg.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&dlg));
  auto* inputEdit = qobject_cast<QLineEdit*>(dlg.GetDlgItem(IDC_INPUT));
  QCOMPARE(QApplication::focusWidget(), inputEdit);

  QTest::keyClicks(QApplication::focusWidget(), Q(dir / "in.txt"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QCOMPARE(QApplication::focusWidget(), dlg.GetDlgItem(IDC_OUTPUT));
  QTest::keyClicks(QApplication::focusWidget(), Q(dir / "out.txt"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QCOMPARE(Messages(ui).size(), 1);
  QCOMPARE(FirstLine(Messages(ui).at(0)), QStringLiteral("转换结束"));  // what was lost follows it
  QCOMPARE(Slurp(dir / "out.txt"), expected);
  QVERIFY(ProgressBar(dlg)->maximum() > 0);
  QCOMPARE(ProgressBar(dlg)->value(), ProgressBar(dlg)->maximum());

  QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(QApplication::focusWidget(), Q(dir / "missing/out.txt"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QCOMPARE(ui.m_messages.size(), 2u);
  QCOMPARE(FirstLine(ui.m_messages[1].text), QStringLiteral("Open File 2 Error !"));
  QCOMPARE(ProgressBar(dlg)->value(), 0);

  dlg.SetDlgItemText(IDC_OUTPUT, Q(dir / "out.txt"));
  Spit(dir / "out.txt", "old");
  for (const Qt::Key key : {Qt::Key_X, Qt::Key_Escape})
    QCoreApplication::postEvent(inputEdit, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier,
                                                         key == Qt::Key_X ? QStringLiteral("x") : QString()));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QVERIFY(dlg.HasEnded());
  QCOMPARE(dlg.GetResult(), qorvel::platform::IDCANCEL);
  QCOMPARE(ui.m_messages.size(), 2u);
  QCOMPARE(inputEdit->text(), Q(dir / "in.txt"));  // the x typed during the run was dropped
  QCOMPARE(Slurp(dir / "out.txt"), std::string("old"));
  QCOMPARE(FilesIn(dir.path()), 2);
}

// The first lines of a program's messages, in the order a run meets them.
struct FailureTexts {
  const char* askInput;     // the input path is empty
  const char* askOutput;    // the output path is empty
  const char* openInput;    // the counting pass cannot open the input
  const char* reopenInput;  // the input went away before the conversion pass
  const char* openOutput;   // the output cannot be opened
  const char* caption;      // the program's name
};

// A user's failures, one after another in a dialog just shown, with
// `input` for a good input: each empty path is asked for and touches
// nothing; then a missing input (a Chinese name), one that goes away
// during the run, an output in a missing folder, the input again as the
// output, a full device and an unreadable input. Each shows its first
// line, then the file and the system's reason framed in Chinese; the bar
// is empty after each, the old output stays and no temporary file is left.
inline void CheckFailurePath(CConvDialog& dlg, const TempDir& dir, const std::string& input,
                             const FailureTexts& texts) {
  TestUi ui;
  qorvel::platform::ScopedUi use(ui);
  ProgressBar(dlg)->setRange(0, 77);
  ProgressBar(dlg)->setValue(5);
  Convert(dlg, QString(), Q(dir / "out.txt"));
  Convert(dlg, Q(dir / "in.txt"), QString());
  QCOMPARE(Messages(ui), (QStringList{Utf8(texts.askInput), Utf8(texts.askOutput)}));
  QCOMPARE(ProgressBar(dlg)->maximum(), 77);
  QCOMPARE(ProgressBar(dlg)->value(), 5);

  Spit(dir / "out.txt", "old");
  const std::string absent = dir / "缺少的文件.txt";
  const std::string in = dir / "in.txt";
  const std::string noFolder = dir / "no-such-folder/out.txt";
  const std::string sameFile = dir.path() + "//in.txt";
  const auto run = [&](const std::string& from, const std::string& to) {
    Spit(in, input);
    Convert(dlg, Q(from), Q(to));
    QCOMPARE(ProgressBar(dlg)->value(), 0);
  };
  run(absent, dir / "out.txt");
  QTimer::singleShot(0, [&] { std::filesystem::remove(in); });  // at the first repaint
  run(in, dir / "out.txt");
  run(in, noFolder);
  run(in, sameFile);
  run(in, "/dev/full");
  run("/proc/self/mem", dir / "out.txt");  // reading it from its start fails
  QCOMPARE(Messages(ui).mid(2),
           (QStringList{FailureMessage(texts.openInput, "无法打开", absent, ENOENT),
                        FailureMessage(texts.reopenInput, "无法打开", in, ENOENT),
                        FailureMessage(texts.openOutput, "无法写入", noFolder, ENOENT),
                        Utf8(kConvMsgSameFile) + QStringLiteral("\n\n无法写入“") + Q(sameFile) +
                            QStringLiteral("”：它就是输入文件"),
                        FailureMessage(kConvMsgWriteError, "无法写入", "/dev/full", ENOSPC),
                        FailureMessage(kConvMsgReadError, "无法读取", "/proc/self/mem", EIO)}));
  for (const TestUi::Message& m : ui.m_messages) QCOMPARE(m.caption, Utf8(texts.caption));
  QCOMPARE(Slurp(dir / "out.txt"), std::string("old"));
  QCOMPARE(Slurp(in), input);
  QCOMPARE(FilesIn(dir.path()), 2);
}

// Saves what the dialog looks like.
// A file with bytes the code drops and a NUL that ends it early: the end
// message says both, and with "保留其他文字" checked the output keeps what
// the keep rule keeps (as the core does) and the message says only what is
// still lost. The box starts unchecked and stays as the user leaves it.
template <class Converter>
void CheckLossReport(CConvDialog& dlg, const TempDir& dir, const std::string& input) {
  TestUi ui;
  qorvel::platform::ScopedUi use(ui);
  auto* keep = qobject_cast<QCheckBox*>(dlg.GetDlgItem(IDC_KEEP));
  QVERIFY(keep);
  QCOMPARE(keep->text(), QStringLiteral("保留其他文字"));
  QVERIFY(!keep->isChecked());
  Spit(dir / "in.txt", input);
  for (const bool kept : {false, true}) {
    if (kept) QTest::mouseClick(keep, Qt::LeftButton, {}, QPoint(4, keep->height() / 2));
    QCOMPARE(keep->isChecked(), kept);
    Convert(dlg, Q(dir / "in.txt"), Q(dir / "out.txt"));
    const QString said = ui.m_messages.empty() ? QString() : ui.m_messages.back().text;
    QCOMPARE(said, EndMessage<Converter>(dir, input, kept));
    QCOMPARE(Slurp(dir / "out.txt"), CoreOutput<Converter>(dir, input, kept));
    if (!kept) {
      QVERIFY(said.contains(QStringLiteral("无法转换")));
      QVERIFY(said.contains(QStringLiteral("NUL 处结束")));
    }
  }
}

inline void SaveScreenshot(QWidget& w, const char* name) {
  const QString path = QStringLiteral(QORVEL_TEST_OUTPUT_DIR "/") + QLatin1String(name);
  QVERIFY(w.grab().save(path, "PNG"));
  qInfo("screenshot: %s", qPrintable(path));
}

// A 64 KiB tmpfs mounted for the life of the object (when the system lets
// us mount one).
class TinyTmpfs {
 public:
  explicit TinyTmpfs(const TempDir& dir) : m_path(dir / "tiny") {
    std::filesystem::create_directory(m_path);
    m_bMounted = mount("tmpfs", m_path.c_str(), "tmpfs", 0, "size=64k") == 0;
  }
  ~TinyTmpfs() {
    if (m_bMounted) umount(m_path.c_str());
  }
  bool Mounted() const { return m_bMounted; }
  std::string operator/(const std::string& name) const { return m_path + "/" + name; }
  const std::string& path() const { return m_path; }

 private:
  std::string m_path;
  bool m_bMounted = false;
};

}  // namespace convtest
