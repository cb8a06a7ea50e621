// Kestrum: converts a Hasi-code text file into Qorvel 2006 international code.

#include <QApplication>

#include "kestrum/ui/kestrum_app.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  CKestrumApp theApp;
  theApp.InitInstance();
  return 0;
}
