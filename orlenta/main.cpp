// Orlenta: converts a Mengkeli-code text file into Qorvel 2006 code.
//
//   orlenta [INPUT.txt]     (the output name INPUT_qv.txt is offered)

#include "convdialog/conv_app.h"
#include "orlenta/orlenta_dlg.h"

using COrlentaApp = CConvApp<COrlentaDlg, kOrlentaProfile>;

int main(int argc, char** argv) { return RunConvProgram<COrlentaApp>(argc, argv); }
