#pragma once
// Resource and control identifiers of the converter dialogs (the same in
// Orlenta and Kestrum).

inline constexpr int IDC_STATIC = -1;

inline constexpr int IDD_ABOUTBOX = 100;         // the About box
inline constexpr int IDS_ABOUTBOX = 101;         // the About item of the system menu
inline constexpr int IDD_CONVERTER_DIALOG = 102; // the main dialog
inline constexpr int IDR_MAINFRAME = 128;        // the program icon

inline constexpr unsigned IDM_ABOUTBOX = 0x0010;  // system menu command of the About item

inline constexpr int IDC_INPUT = 1000;          // edit: input path
inline constexpr int IDC_OUTPUT = 1001;         // edit: output path
inline constexpr int IDC_PROGRESS = 1002;       // progress bar
inline constexpr int IDC_BROWSE_INPUT = 1003;   // button: choose the input
inline constexpr int IDC_BROWSE_OUTPUT = 1004;  // button: choose the output
inline constexpr int IDC_STATUS = 1005;         // static: phase of the conversion (Orlenta)
inline constexpr int IDC_KEEP = 1006;           // check box: keep text of another script
