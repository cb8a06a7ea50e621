#include "velmar/about_dlg.h"

#include "velmar/resource.h"

using namespace qorvel::platform;

namespace {

const DialogTemplate kAboutDlg{IDD_ABOUTBOX, "关于 Qorvel蒙文网页排版置换工具...", "宋体", 9, 250, 55, true, {
    {IDC_STATIC, ControlKind::Icon, "", 11, 17, 20, 20},
    {IDC_STATIC, ControlKind::Static, "Qorvel蒙文网页排版置换工具 1.0 版", 40, 10, 150, 8},
    {IDOK, ControlKind::DefPushButton, "确定", 193, 7, 50, 14},
}};

}  // namespace

CAboutDlg::CAboutDlg(QWidget* pParent) : CDialog(kAboutDlg, pParent) {}
