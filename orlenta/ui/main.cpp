// Orlenta: converts a Mengkeli-code text file into Qorvel 2006 code.
//
//   orlenta [INPUT.txt]     (the output name INPUT_qv.txt is offered)

#include <QApplication>

#include "orlenta/ui/orlenta_app.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  COrlentaApp theApp;
  theApp.InitInstance();
  return 0;
}
