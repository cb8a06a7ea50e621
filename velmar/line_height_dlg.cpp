#include "velmar/line_height_dlg.h"

#include "velmar/resource.h"

using namespace qorvel::platform;

namespace {

// Dialog resource 130: System 10 pt, a modal frame without caption.
const DialogTemplate kLineHeightDlg{IDD_LINE_HEIGHT, "", "System", 10, 139, 34, false, {
    {IDOK, ControlKind::DefPushButton, "确定", 83, 4, 50, 12},
    {IDCANCEL, ControlKind::PushButton, "取消", 83, 18, 50, 12},
    {IDC_LINE_HEIGHT_EDIT, ControlKind::Edit, "", 9, 11, 63, 12, kEsNumber},
    {IDC_LINE_HEIGHT_SPIN, ControlKind::UpDown, "Spin1", 74, 12, 9, 10,
     kUdsSetBuddyInt | kUdsAlignRight | kUdsAutoBuddy | kUdsArrowKeys | kUdsNoThousands},
}};

}  // namespace

CLineHeightDlg::CLineHeightDlg(QWidget* pParent) : CDialog(kLineHeightDlg, pParent) {}

void CLineHeightDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_LINE_HEIGHT_SPIN, m_spin);
  DDX_Text(pDX, IDC_LINE_HEIGHT_EDIT, m_nLineHeight);
}

bool CLineHeightDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_spin.SetRange(50, 1000);
  return true;
}
