#pragma once
// Helpers for driving the converter dialogs as a user would: files in a
// fresh folder, the edits filled in, the convert button pressed with Enter,
// and a look at what the message boxes said.

#include <sys/mount.h>

#include <QLineEdit>
#include <QProgressBar>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <QtTest>
#include <filesystem>
#include <string>

#include "convdialog/conv_dialog.h"
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

// Fills the two edits and presses Enter in the output edit.
inline void Convert(CConvDialog& dlg, const QString& input, const QString& output) {
  dlg.SetDlgItemText(IDC_INPUT, input);
  dlg.SetDlgItemText(IDC_OUTPUT, output);
  QTest::keyClick(dlg.GetDlgItem(IDC_OUTPUT), Qt::Key_Return);
}

inline QProgressBar* ProgressBar(const CConvDialog& dlg) {
  return qobject_cast<QProgressBar*>(dlg.GetDlgItem(IDC_PROGRESS));
}

// The ids of the controls that Tab visits, from the first one on.
inline QList<int> TabOrder(const CConvDialog& dlg) {
  QList<int> ids;
  QWidget* first = dlg.GetDlgItem(1);
  QWidget* w = first;
  do {
    if (w->focusPolicy() & Qt::TabFocus) ids << w->objectName().mid(QStringLiteral("control").size()).toInt();
    w = w->nextInFocusChain();
  } while (w != first && ids.size() < 20);
  return ids;
}

// Files other than the ones named: temporary files left behind.
inline int FilesIn(const std::string& dir) {
  int n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir)) ++n;
  return n;
}

// Saves what the dialog looks like.
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
