#include "kestrum/kestrum_app.h"

#include "kestrum/kestrum_dlg.h"

bool CKestrumApp::InitInstance() {
  InitConvApplication(kKestrumProfile);
  CKestrumDlg dlg;
  m_pMainWnd = &dlg;
  dlg.DoModal();  // whatever closed it, the program ends
  m_pMainWnd = nullptr;
  return false;
}
