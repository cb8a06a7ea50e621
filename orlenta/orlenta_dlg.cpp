#include "orlenta/orlenta_dlg.h"

#include <memory>

#include "convdialog/conv_run.h"
#include "codec/registry.h"
#include "orlenta/orlenta_texts.h"
#include "orlenta/orlenta_icon.h"

using namespace qorvel::platform;

namespace {

// Main dialog 102, controls in tab order.
const DialogTemplate kOrlentaDlg{IDD_CONVERTER_DIALOG, "蒙科立蒙文代码转换为Qorvel蒙文2006代码", "宋体", 9, 320, 121, true, {
    {IDOK, ControlKind::DefPushButton, "开始转换", 93, 99, 50, 14},
    {IDCANCEL, ControlKind::PushButton, "退  出", 163, 99, 50, 14},
    {IDC_STATIC, ControlKind::Static, "在这里蒙科立蒙文文本文件名:(.txt)", 7, 7, 200, 8},
    {IDC_INPUT, ControlKind::Edit, "", 7, 21, 240, 12},
    {IDC_STATIC, ControlKind::Static, "在这里输入转换后的Qorvel蒙文文件(.txt):", 7, 41, 200, 8},
    {IDC_OUTPUT, ControlKind::Edit, "", 7, 56, 240, 12},
    {IDC_PROGRESS, ControlKind::Progress, "", 7, 80, 306, 8},
    {IDC_BROWSE_INPUT, ControlKind::PushButton, "浏览...", 254, 21, 59, 12},
    {IDC_BROWSE_OUTPUT, ControlKind::PushButton, "浏览...", 254, 55, 59, 12},
    {IDC_STATUS, ControlKind::Static, "准备转换...", 8, 100, 58, 14},
    {IDC_KEEP, ControlKind::CheckBox, "保留其他文字", 222, 101, 91, 10},
}};

// About box 100.
const DialogTemplate kOrlentaAboutDlg{IDD_ABOUTBOX, "关于 北大方正10.0转换Qorvel蒙文程序", "宋体", 9, 264, 64, true, {
    {IDC_STATIC, ControlKind::Icon, "", 7, 13, 20, 20},
    {IDC_STATIC, ControlKind::Static, "北大方正10.0转换Qorvel蒙文程序 1.0 版", 35, 15, 153, 8},
    {IDOK, ControlKind::DefPushButton, "确定", 199, 32, 50, 14},
}};

constexpr std::string_view kStatusReady = "准备转换...";

}  // namespace

const ConvDialogProfile kOrlentaProfile{
    "Orlenta",
    "2.0.0.1",
    kOrlentaDlg,
    kOrlentaAboutDlg,
    "关于 Orlenta(&A)...",
    kOrlentaIcon32,
    kOrlentaIcon16,
    "打开蒙科立文本文件",
    {{"蒙科立文本文件(*.txt)", "*.txt"}, {"所有文件(*.*)", "*.*"}},
    "保存为Qorvel蒙文文件名",
    {{"Qorvel蒙文文件(*.txt)", "*.txt"}, {"所有文件(*.*)", "*.*"}},
    "Usage: orlenta [INPUT.txt]\nConverts a Mengkeli-code text file into a Qorvel 2006 code text file.\n",
    "orlenta 1.0\n",
};

QString DefaultOutputName(const QString& strInput) {
  return strInput.left(std::max<qsizetype>(0, strInput.size() - 4)) + QStringLiteral("_qv.txt");
}

// The code is looked up when the dialog is made, so a registry without it
// stops the program at its start rather than at the first conversion.
COrlentaDlg::COrlentaDlg(QWidget* pParent)
    : CConvDialog(kOrlentaProfile, pParent), m_codec(qorvel::RequireCodec("mengkeli", qorvel::CodecKind::kFile)) {}

void COrlentaDlg::DoDataExchange(CDataExchange* pDX) {
  CConvDialog::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_STATUS, m_strStatus);
}

bool COrlentaDlg::OnInitDialog() {
  CConvDialog::OnInitDialog();  // puts a file from the command line into edit 1000
  SetDlgItemText(IDC_STATUS, QString::fromUtf8(kStatusReady.data(), kStatusReady.size()));

  const QString strInput = GetDlgItemText(IDC_INPUT);
  if (!strInput.isEmpty()) SetDlgItemText(IDC_OUTPUT, DefaultOutputName(strInput));
  return true;
}

void COrlentaDlg::OnBrowseInput() {
  if (const std::optional<QString> path = BrowseInput()) SetDlgItemText(IDC_OUTPUT, DefaultOutputName(*path));
}

void COrlentaDlg::OnOK() {
  CConversionRun run(*this);
  if (!run.Start(qorvel::kOrlentaMsgNoInputName, qorvel::kOrlentaMsgNoOutputName, qorvel::kOrlentaMsgOpenInputError))
    return;
  SetProgressRange(run.InputSize() + 1);  // the reads: every byte and the end of the file
  m_progress.SetStep(1);
  SetStatus(qorvel::kOrlentaStatusConverting);

  // The read pass and the write pass (runs of spaces collapsed) go together
  // straight into the output's temporary file.
  const std::unique_ptr<qorvel::StreamConverter> converter = m_codec.make(CConversionRun::Options(*this));
  if (!run.OpenInput(qorvel::kOrlentaMsgReopenInputError) || !run.OpenOutput(qorvel::kOrlentaMsgOpenOutputError) ||
      !run.Convert(*converter)) {
    SetStatus(kStatusReady);
    return;
  }

  SetStatus(qorvel::kOrlentaStatusSaving);
  if (!run.Commit()) {
    SetStatus(kStatusReady);
    return;
  }
  SetStatus(qorvel::kOrlentaStatusFinished);
  ShowMessage(std::string(qorvel::kOrlentaMsgFinished) + CConversionRun::LossLines(run.Result()));
}

void COrlentaDlg::SetStatus(std::string_view text) {
  SetDlgItemText(IDC_STATUS, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  UpdateWindow();
}
