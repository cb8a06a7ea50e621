#pragma once
// Dialogs built from a dialog template: controls placed in dialog units
// (a quarter of the dialog font's average character width across, an eighth
// of its height down), with data exchange between members and controls.
//
//   const DialogTemplate kMyDlg{130, "", "System", 10, 139, 34, false, {
//       {1, ControlKind::DefPushButton, "确定", 83, 4, 50, 12},
//       {2, ControlKind::PushButton, "取消", 83, 18, 50, 12},
//       {1000, ControlKind::Edit, "", 9, 11, 63, 12, kEsNumber},
//   }};
//   class CMyDlg : public CDialog {
//    public:
//     CMyDlg() : CDialog(kMyDlg) {}
//     int m_nValue = 100;
//     void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, 1000, m_nValue); }
//   };
//   CMyDlg dlg;
//   if (dlg.DoModal() == IDOK) use(dlg.m_nValue);
//
// DoModal runs the dialog through the current Ui (ui.h): on screen with
// QtUi, answered by a script with TestUi. Buttons 1 (IDOK) and 2 (IDCANCEL)
// call OnOK and OnCancel; any other button calls OnCommand(id). OnOK takes
// the data from the controls (UpdateData(true)); when a control refuses its
// value, the message has been shown and the dialog stays open.
//
// The keyboard works as in a dialog box: when OnInitDialog returns true the
// focus starts in the first edit of the tab order (the controls' order in
// the template), its text selected, or else in the first control that takes
// the focus; Tab and Shift+Tab follow the template's order; Enter in an edit
// presses the default button, Enter on a focused push button presses that
// button; Escape presses Cancel (IDCANCEL), as the close box does.
// Texts in templates are UTF-8; a template must outlive its dialogs (keep
// templates as static data).

#include <QDialog>
#include <QString>
#include <cstdint>
#include <map>
#include <vector>

class QLineEdit;
class QProgressBar;

namespace qorvel::platform {

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

enum class ControlKind { DefPushButton, PushButton, Edit, Static, Icon, GroupBox, UpDown, Progress, CheckBox };

// Control styles.
inline constexpr unsigned kEsNumber = 0x1;       // edit: only digits may be typed
inline constexpr unsigned kEsReadOnly = 0x2;     // edit: read only
inline constexpr unsigned kUdsSetBuddyInt = 0x10;   // up-down: writes its value into the buddy
inline constexpr unsigned kUdsAlignRight = 0x20;    // up-down: sits at the buddy's right edge
inline constexpr unsigned kUdsAutoBuddy = 0x40;     // up-down: the previous control is its buddy
inline constexpr unsigned kUdsArrowKeys = 0x80;     // up-down: Up/Down keys in the buddy step it
inline constexpr unsigned kUdsNoThousands = 0x100;  // up-down: no thousands separator

struct ControlTemplate {
  int id;
  ControlKind kind;
  const char* text;
  int x, y, cx, cy;
  unsigned style = 0;
};

struct DialogTemplate {
  int id;
  const char* caption;
  const char* fontFace;
  int pointSize;
  int cx, cy;
  bool titleBar;
  std::vector<ControlTemplate> controls;
};

class CDialog;

class CDataExchange {
 public:
  CDataExchange(CDialog* pDlg, bool bSaveAndValidate) : m_pDlgWnd(pDlg), m_bSaveAndValidate(bSaveAndValidate) {}
  // Marks the exchange as failed and puts the focus on control `id`.
  void Fail(int id);

  CDialog* m_pDlgWnd;
  bool m_bSaveAndValidate;
  bool m_bFailed = false;
};

class CSpinWidget;

// The up-down control: steps its buddy's integer within its range.
class CSpinButtonCtrl {
 public:
  void SetRange(int lower, int upper);
  std::pair<int, int> GetRange() const;
  // One arrow press: +1 towards `upper` for up, -1 for down.
  void Step(bool up);
  bool IsAttached() const { return m_pWidget != nullptr; }
  CSpinWidget* m_pWidget = nullptr;
};

class CProgressCtrl {
 public:
  void SetRange(int lower, int upper);
  void SetStep(int step);
  void SetPos(int pos);
  int GetPos() const;
  void StepIt();
  QProgressBar* m_pWidget = nullptr;

 private:
  int m_nStep = 10;
};

class CDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CDialog(const DialogTemplate& tmpl, QWidget* parent = nullptr);

  // Runs the dialog modally through the current Ui; IDOK or IDCANCEL (or
  // the value given to EndDialog).
  int DoModal();

  virtual bool OnInitDialog();
  virtual void DoDataExchange(CDataExchange* pDX);
  virtual void OnOK();
  virtual void OnCancel();
  virtual void OnCommand(int id);

  bool UpdateData(bool bSaveAndValidate = true);
  void EndDialog(int result);

  QWidget* GetDlgItem(int id) const;
  QString GetDlgItemText(int id) const;
  // Whether the check box `id` is checked (false for any other control).
  bool IsDlgButtonChecked(int id) const;
  void SetDlgItemText(int id, const QString& text);

  // For Ui implementations: builds the controls (once), runs OnInitDialog
  // and places the initial focus, before the dialog is shown or answered.
  void InitModal();
  // Presses button `id` as a user would; true when the dialog has ended.
  bool ClickButton(int id);
  bool HasEnded() const { return m_bEnded; }
  int GetResult() const { return m_nResult; }
  const DialogTemplate& Template() const { return m_template; }
  // Dialog units to pixels for this dialog's font.
  QRect MapDialogRect(int x, int y, int cx, int cy) const;

 protected:
  void accept() override { ClickButton(IDOK); }
  void reject() override { ClickButton(IDCANCEL); }

 private:
  void BuildControls();
  void SetInitialFocus();

  const DialogTemplate& m_template;
  std::map<int, QWidget*> m_controls;
  bool m_bBuilt = false;
  bool m_bEnded = false;
  int m_nResult = IDCANCEL;
};

// Exchanges an integer with an edit control. On taking the value, text that
// is not a whole number in the 32-bit range is refused with the message
// kParseIntMessage and the exchange fails.
void DDX_Text(CDataExchange* pDX, int id, std::int32_t& value);
void DDX_Text(CDataExchange* pDX, int id, QString& value);
void DDX_Control(CDataExchange* pDX, int id, CSpinButtonCtrl& control);
void DDX_Control(CDataExchange* pDX, int id, CProgressCtrl& control);

inline constexpr const char* kParseIntMessage = "请输入一个整数。";

}  // namespace qorvel::platform
