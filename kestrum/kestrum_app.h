#pragma once
// Kestrum's application object: shows the main dialog until it closes.

class CKestrumDlg;

class CKestrumApp {
 public:
  // Runs the main dialog; false, so that the program ends when it closes.
  bool InitInstance();

  CKestrumDlg* m_pMainWnd = nullptr;
};
