#include "kestrum/kestrum_dlg.h"

#include <memory>

#include "convdialog/conv_run.h"
#include "codec/registry.h"
#include "kestrum/kestrum_progress.h"
#include "kestrum/kestrum_messages.h"
#include "kestrum/kestrum_icon.h"

using namespace qorvel::platform;

namespace {

// Main dialog 102, controls in tab order.
const DialogTemplate kKestrumDlg{IDD_CONVERTER_DIALOG, "哈斯代码转换为Qorvel蒙文2006国际代码代码", "宋体", 9, 320, 121, true, {
    {IDOK, ControlKind::DefPushButton, "转换", 93, 99, 50, 14},
    {IDCANCEL, ControlKind::PushButton, "退出", 163, 99, 50, 14},
    {IDC_STATIC, ControlKind::Static, "在这里输入哈斯代码文件名:(.txt)", 7, 7, 200, 8},
    {IDC_INPUT, ControlKind::Edit, "", 7, 21, 274, 12},
    {IDC_STATIC, ControlKind::Static, "在这里输入转换后的Qorvel蒙文文件(.txt):", 7, 41, 200, 8},
    {IDC_OUTPUT, ControlKind::Edit, "", 7, 56, 274, 12},
    {IDC_PROGRESS, ControlKind::Progress, "", 7, 80, 306, 8},
    {IDC_BROWSE_INPUT, ControlKind::PushButton, "...", 286, 21, 27, 12},
    {IDC_BROWSE_OUTPUT, ControlKind::PushButton, "...", 286, 55, 27, 12},
    {IDC_KEEP, ControlKind::CheckBox, "保留其他文字", 222, 101, 91, 10},
}};

// About box 100.
const DialogTemplate kKestrumAboutDlg{IDD_ABOUTBOX, "关于 北大方正华光6.0转换Qorvel蒙文程序", "宋体", 9, 235, 55, true, {
    {IDC_STATIC, ControlKind::Icon, "", 11, 17, 20, 20},
    {IDC_STATIC, ControlKind::Static, "北大方正华光6.0转换Qorvel蒙文程序 1.0 版", 40, 26, 182, 8},
    {IDOK, ControlKind::DefPushButton, "确定", 178, 7, 50, 14},
}};

}  // namespace

// Fangzheng/Huaguang files carry no fixed extension (often none at all),
// which a name pattern here cannot single out: their choice lists every file.
const ConvDialogProfile kKestrumProfile{
    "Kestrum",
    "1.0.0.1",
    kKestrumDlg,
    kKestrumAboutDlg,
    "关于 Kestrum(&A)...",
    kKestrumIcon32,
    kKestrumIcon16,
    "打开方正或华光文件",
    {{"方正华光文件", "*"}},
    "保存为Qorvel蒙文文件名",
    {{"Qorvel蒙文文件", "*.txt"}},
    "Usage: kestrum [INPUT]\nConverts a Hasi-code text file into a Qorvel 2006 international code text file.\n"
    "INPUT, if given, fills the input file field.\n",
    "kestrum 1.0\n",
};

// The code is looked up when the dialog is made, so a registry without it
// stops the program at its start rather than at the first conversion.
CKestrumDlg::CKestrumDlg(QWidget* pParent)
    : CConvDialog(kKestrumProfile, pParent), m_codec(qorvel::RequireCodec("hasi", qorvel::CodecKind::kFile)) {}

void CKestrumDlg::OnOK() {
  CConversionRun run(*this);
  if (!run.Start(qorvel::kKestrumNoInputPathText, qorvel::kKestrumNoOutputPathText, qorvel::kKestrumOpenCountFailText))
    return;
  SetProgressRange(KestrumProgressRange(run.InputSize()));
  m_progress.SetStep(1);
  UpdateWindow();  // the bar starts again from its new range

  if (!run.OpenInput(qorvel::kKestrumOpenInputFailText) || !run.OpenOutput(qorvel::kKestrumOpenOutputFailText))
    return;
  const std::unique_ptr<qorvel::StreamConverter> converter = m_codec.make(CConversionRun::Options(*this));
  if (!run.Convert(*converter)) return;
  // The output is complete and closed before the user is told so.
  if (!run.Commit()) return;
  ShowMessage(qorvel::kKestrumDoneText + CConversionRun::LossLines(run.Result()));
}
