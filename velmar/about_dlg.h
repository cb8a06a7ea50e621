#pragma once
// The About box (dialog 100).

#include "platform/dialog.h"

class CAboutDlg : public qorvel::platform::CDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* pParent = nullptr);
};
