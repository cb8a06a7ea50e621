#pragma once
// The application object and main() of a converter program (Orlenta,
// Kestrum): one modal main dialog, and the program ends when it closes.
//
//   using COrlentaApp = CConvApp<COrlentaDlg, kOrlentaProfile>;
//   int main(int argc, char** argv) { return RunConvProgram<COrlentaApp>(argc, argv); }

#include <QString>

#include "convdialog/conv_dialog.h"
#include "platform/application.h"
#include "platform/translations.h"

// Dlg: the program's main dialog, made without arguments.
template <class Dlg, const ConvDialogProfile& Profile>
class CConvApp {
 public:
  static constexpr const ConvDialogProfile& kProfile = Profile;

  // Runs the main dialog; false, so that the program ends when it closes.
  bool InitInstance() {
    InitConvApplication(kProfile);
    Dlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();  // whatever closed it, the program ends
    m_pMainWnd = nullptr;
    return false;
  }

  Dlg* m_pMainWnd = nullptr;
};

// "--help" or "--version" given alone: prints the profile's text for it and
// returns true, and the program ends without a window.
bool PrintProgramText(int argc, char** argv, const ConvDialogProfile& profile);

// main() of a converter program. Anything but "--help" or "--version" alone
// is left to Qt and the dialog (the first argument names the input).
template <class App>
int RunConvProgram(int argc, char** argv) {
  if (PrintProgramText(argc, argv, App::kProfile)) return 0;
  qorvel::platform::Application app(argc, argv, QString::fromUtf8(App::kProfile.appName));
  qorvel::platform::InstallQtTranslations(app);
  App theApp;
  theApp.InitInstance();
  return 0;
}
