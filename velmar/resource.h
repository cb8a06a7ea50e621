#pragma once
// Velmar's resource and command identifiers.

enum : int {
  // Dialogs, menus, icons.
  IDD_ABOUTBOX = 100,
  IDR_CONTEXT_MENU = 102,
  IDR_MAINFRAME = 128,
  IDI_ABOUT = 129,
  IDD_LINE_HEIGHT = 130,
  IDC_LINE_HEIGHT_EDIT = 1000,
  IDC_LINE_HEIGHT_SPIN = 1003,
  IDC_STATIC = -1,

  // Velmar's own commands.
  ID_CHOOSE_FONT = 32771,
  ID_SET_LINE_HEIGHT = 32772,
  ID_RELAYOUT = 32776,
  ID_PASTE_MENGKELI = 32777,
  ID_COPY_ALL = 32778,
  ID_CUT_WEB = 32779,
  ID_PASTE_MINGANTU = 32780,
  ID_PASTE_WORD = 32781,
  ID_COPY_HTML = 32782,
  ID_SAVE_HTML = 32783,

  // Standard commands.
  ID_FILE_NEW = 57600,
  ID_FILE_OPEN = 57601,
  ID_FILE_SAVE = 57603,
  ID_FILE_SAVE_AS = 57604,
  ID_FILE_PRINT_SETUP = 57606,
  ID_FILE_PRINT = 57607,
  ID_FILE_PRINT_DIRECT = 57608,
  ID_FILE_PRINT_PREVIEW = 57609,
  ID_FILE_MRU_FILE1 = 57616,
  ID_FILE_MRU_LAST = 57630,
  ID_EDIT_COPY = 57634,
  ID_EDIT_CUT = 57635,
  ID_EDIT_PASTE = 57637,
  ID_EDIT_UNDO = 57643,
  ID_APP_ABOUT = 57664,
  ID_APP_EXIT = 57665,
  ID_NEXT_PANE = 57680,
  ID_PREV_PANE = 57681,
  ID_INDICATOR_CAPS = 59137,
  ID_INDICATOR_NUM = 59138,
  ID_INDICATOR_SCRL = 59139,
  ID_VIEW_TOOLBAR = 59392,
  ID_VIEW_STATUS_BAR = 59393,
  ID_PREVIEW_CLOSE = 61445,
};

// The recent-file list holds this many entries.
inline constexpr int kMaxRecentFiles = 8;

// Message boxes.
inline constexpr const char* kOpenErrorText = "打开文件错!!!";
inline constexpr const char* kMessageCaption = "Qorvel蒙文软件:";
