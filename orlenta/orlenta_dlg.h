#pragma once
// Orlenta's main dialog: a Mengkeli-code text file converted into a Qorvel
// 2006 code text file, with a status line naming the phase.

#include <QString>

#include "codec/registry.h"
#include "convdialog/conv_dialog.h"

// Orlenta's dialogs, texts and file dialogs.
extern const ConvDialogProfile kOrlentaProfile;

// The output name offered for an input: the input path without its last
// four characters (the ".txt" is assumed, not checked), then "_qv.txt".
QString DefaultOutputName(const QString& strInput);

class COrlentaDlg : public CConvDialog {
 public:
  explicit COrlentaDlg(QWidget* pParent = nullptr);

  void DoDataExchange(qorvel::platform::CDataExchange* pDX) override;
  bool OnInitDialog() override;
  // "开始转换": converts the file named in edit 1000 into the file named in
  // edit 1001. The dialog stays open.
  void OnOK() override;
  void OnBrowseInput() override;

  QString m_strStatus;  // status static 1005

 private:
  void SetStatus(std::string_view text);

  const qorvel::Codec& m_codec;  // "mengkeli", a file code

};
