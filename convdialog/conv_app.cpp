#include "convdialog/conv_app.h"

#include <cstdio>
#include <cstring>

bool PrintProgramText(int argc, char** argv, const ConvDialogProfile& profile) {
  if (argc != 2) return false;
  const char* text = std::strcmp(argv[1], "--help") == 0      ? profile.helpText
                     : std::strcmp(argv[1], "--version") == 0 ? profile.versionText
                                                              : nullptr;
  if (!text) return false;
  std::fputs(text, stdout);
  return true;
}
