#pragma once
// The converter dialog shell of Orlenta and Kestrum: one modal main dialog
// with an input-path edit (1000, where the focus starts and where a file
// named on the command line goes), an output-path edit (1001), a browse
// button beside each (1003, 1004), a progress bar (1002) and the buttons
// convert (1, the default: Enter) and exit (2: also Esc and the close box);
// an About item in the window's system menu where the platform has one, and
// in the dialog's context menu and on F1 everywhere. Each program describes
// its dialog with a ConvDialogProfile and derives its dialog from
// CConvDialog, adding its members and its conversion (OnOK).

#include <QIcon>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "convdialog/resource.h"
#include "platform/dialog.h"

// One file-type choice of a file dialog: what the user reads and the
// pattern of the names it lists (UTF-8).
struct ConvFileFilter {
  const char* label;
  const char* pattern;
};

// What makes one program's dialogs: resources, texts and file dialogs.
// Texts are UTF-8; a profile is static data that outlives its dialogs.
struct ConvDialogProfile {
  const char* appName;     // the program's name: caption of its message boxes
  const char* version;     // file and product version
  const qorvel::platform::DialogTemplate& mainDialog;  // resource 102
  const qorvel::platform::DialogTemplate& aboutBox;    // resource 100
  const char* aboutMenuItem;                           // string 101
  const char* const* icon32;  // icon 128: the 32 x 32 image (XPM data)
  const char* const* icon16;  // icon 128: the 16 x 16 image (XPM data)
  const char* inputTitle;
  std::vector<ConvFileFilter> inputFilters;
  const char* outputTitle;
  std::vector<ConvFileFilter> outputFilters;
  const char* helpText;     // what "--help" prints
  const char* versionText;  // what "--version" prints
};

// Icon 128 of the program, with both images.
QIcon LoadProgramIcon(const ConvDialogProfile& profile);

// Names the application after the profile and gives it its icon; an
// interrupt (SIGTERM, SIGINT, SIGHUP) removes the temporary file of a
// running conversion.
void InitConvApplication(const ConvDialogProfile& profile);

// The input path given on the command line: the first argument after the
// program, without blanks and double quotes around it. Empty when there is
// none.
QString FileArgument(const QStringList& arguments);

class CConvDialog : public qorvel::platform::CDialog {
 public:
  explicit CConvDialog(const ConvDialogProfile& profile, QWidget* pParent = nullptr);

  void DoDataExchange(qorvel::platform::CDataExchange* pDX) override;
  bool OnInitDialog() override;
  void OnCommand(int id) override;

  // Message handlers.
  void OnSysCommand(unsigned nID, std::intptr_t lParam);
  void OnPaint();
  QIcon OnQueryDragIcon() const;
  virtual void OnBrowseInput();
  void OnBrowseOutput();

  // The progress bar against its true range: values that do not fit the
  // control's int range are scaled down together with the range.
  void SetProgressRange(std::uint64_t nMax);
  void SetProgressPos(std::uint64_t nPos);
  // `done` of `total` bytes converted, shown against the range set; nothing
  // moves while the total is unknown.
  void SetProgressDone(std::uint64_t done, std::uint64_t total);
  std::uint64_t GetProgressMax() const { return m_nProgressMax; }

  // A message box with only OK, captioned with the program's name.
  void ShowMessage(std::string_view text);

  // Repaints what a running command has changed (progress bar, status
  // text) and lets the user close the dialog: the close box, the exit
  // button and Escape end it (HasEnded), and the command should then stop.
  // Any other input is dropped, so no other command starts inside this one.
  void UpdateWindow();

  qorvel::platform::CProgressCtrl m_progress;
  QIcon m_hIcon;

 protected:
  // The input file dialog: the chosen path, now in edit 1000, or nothing
  // when it was cancelled.
  std::optional<QString> BrowseInput();
  // The program's command line, the program first.
  virtual QStringList GetProgramArguments() const;

  void paintEvent(QPaintEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
  // While UpdateWindow runs: drops the input that could start anything.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  const ConvDialogProfile& m_profile;
  std::uint64_t m_nProgressMax = 0;
  unsigned m_nProgressShift = 0;  // true values >> shift fit the control
};

// The About box (resource 100): the icon, the product line and OK.
class CAboutDlg : public qorvel::platform::CDialog {
 public:
  explicit CAboutDlg(const ConvDialogProfile& profile, QWidget* pParent = nullptr);
};
