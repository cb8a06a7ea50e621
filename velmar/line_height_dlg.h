#pragma once
// The line height dialog (resource 130): an edit box with an up-down
// control. It starts at 100 every time; the arrows keep to 50..1000 but a
// typed number outside that range is taken as it is.

#include <cstdint>

#include "platform/dialog.h"

class CLineHeightDlg : public qorvel::platform::CDialog {
  Q_OBJECT

 public:
  explicit CLineHeightDlg(QWidget* pParent = nullptr);

  qorvel::platform::CSpinButtonCtrl m_spin;
  std::int32_t m_nLineHeight = 100;

 protected:
  void DoDataExchange(qorvel::platform::CDataExchange* pDX) override;
  bool OnInitDialog() override;
};
