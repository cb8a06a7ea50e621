// Kestrum: converts a Hasi-code text file into Qorvel 2006 international code.
//
//   kestrum [INPUT]     (the input field starts with INPUT; no output name is offered)

#include <QApplication>
#include <cstdio>
#include <cstring>

#include "kestrum/kestrum_app.h"
#include "platform/application.h"
#include "platform/translations.h"

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "--version") == 0)) {
    std::fputs(std::strcmp(argv[1], "--help") == 0
                   ? "Usage: kestrum [INPUT]\nConverts a Hasi-code text file into a Qorvel 2006 international code text file.\n"
                     "INPUT, if given, fills the input file field.\n"
                   : "kestrum 1.0\n",
               stdout);
    return 0;
  }
  qorvel::platform::Application app(argc, argv, QStringLiteral("Kestrum"));
  qorvel::platform::InstallQtTranslations(app);
  CKestrumApp theApp;
  theApp.InitInstance();
  return 0;
}
