// Orlenta: converts a Mengkeli-code text file into Qorvel 2006 code.
//
//   orlenta [INPUT.txt]     (the output name INPUT_qv.txt is offered)

#include <QApplication>
#include <cstdio>
#include <cstring>

#include "orlenta/orlenta_app.h"
#include "platform/application.h"
#include "platform/translations.h"

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "--version") == 0)) {
    std::fputs(std::strcmp(argv[1], "--help") == 0
                   ? "Usage: orlenta [INPUT.txt]\nConverts a Mengkeli-code text file into a Qorvel 2006 code text file.\n"
                   : "orlenta 1.0\n",
               stdout);
    return 0;
  }
  qorvel::platform::Application app(argc, argv, QStringLiteral("Orlenta"));
  qorvel::platform::InstallQtTranslations(app);
  COrlentaApp theApp;
  theApp.InitInstance();
  return 0;
}
