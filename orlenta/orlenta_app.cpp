#include "orlenta/orlenta_app.h"

#include "orlenta/orlenta_dlg.h"

bool COrlentaApp::InitInstance() {
  InitConvApplication(kOrlentaProfile);
  COrlentaDlg dlg;
  m_pMainWnd = &dlg;
  dlg.DoModal();  // whatever closed it, the program ends
  m_pMainWnd = nullptr;
  return false;
}
