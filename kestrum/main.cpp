// Kestrum: converts a Hasi-code text file into Qorvel 2006 international code.
//
//   kestrum [INPUT]     (the input field starts with INPUT; no output name is offered)

#include "convdialog/conv_app.h"
#include "kestrum/kestrum_dlg.h"

using CKestrumApp = CConvApp<CKestrumDlg, kKestrumProfile>;

int main(int argc, char** argv) { return RunConvProgram<CKestrumApp>(argc, argv); }
