#pragma once
// Orlenta's application object: shows the main dialog until it closes.

class COrlentaDlg;

class COrlentaApp {
 public:
  // Runs the main dialog; false, so that the program ends when it closes.
  bool InitInstance();

  COrlentaDlg* m_pMainWnd = nullptr;
};
