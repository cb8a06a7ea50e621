#pragma once
// Kestrum's main dialog: a Hasi-code text file converted into a Qorvel 2006
// international code text file. A file named on the command line fills the
// input edit; unlike Orlenta, no output name is offered.

#include "codec/registry.h"
#include "convdialog/conv_dialog.h"

// Kestrum's dialogs, texts and file dialogs.
extern const ConvDialogProfile kKestrumProfile;

class CKestrumDlg : public CConvDialog {
 public:
  explicit CKestrumDlg(QWidget* pParent = nullptr);

  // "转换": converts the file named in edit 1000 into the file named in
  // edit 1001. The dialog stays open.
  void OnOK() override;

 private:
  const qorvel::Codec& m_codec;  // "hasi", a file code
};
