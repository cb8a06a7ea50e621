/* What a user sees in a Chinese console window: runs
 *   QORVEL layout 缺失.txt
 * in a new console set to code page 936 (a Chinese Windows' default) and
 * writes the console's lines, as UTF-8 with trailing blanks cut, to OUT.
 *   console_screen QORVEL OUT
 * (Under Wine the console needs a display.) */

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

int wmain(int argc, wchar_t **argv) {
  if (argc != 3) return 2;
  FreeConsole();
  if (!AllocConsole()) return 3;
  SetConsoleOutputCP(936);
  HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
  if (screen == INVALID_HANDLE_VALUE) return 3;

  /* The child's standard handles are the console's. */
  wchar_t command[MAX_PATH + 64];
  _snwprintf(command, sizeof command / sizeof *command, L"\"%ls\" layout \u7f3a\u5931.txt", argv[1]);
  command[sizeof command / sizeof *command - 1] = L'\0';
  STARTUPINFOW startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child;
  if (!CreateProcessW(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &child)) return 4;
  if (WaitForSingleObject(child.hProcess, 60000) != WAIT_OBJECT_0) return 5;

  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(screen, &info)) return 6;
  const DWORD width = (DWORD)info.dwSize.X, lines = (DWORD)info.dwCursorPosition.Y + 1;
  wchar_t *text = calloc((size_t)width * lines, sizeof *text);
  char *utf8 = malloc((size_t)width * 4);
  DWORD got = 0;
  const COORD origin = {0, 0};
  if (!text || !utf8 || !ReadConsoleOutputCharacterW(screen, text, width * lines, origin, &got)) return 6;

  FILE *out = _wfopen(argv[2], L"wb");
  if (!out) return 7;
  for (DWORD line = 0; line < lines; ++line) {
    const wchar_t *start = text + (size_t)line * width;
    DWORD n = width;
    while (n > 0 && start[n - 1] == L' ') --n;
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, start, (int)n, utf8, (int)width * 4, NULL, NULL);
    fwrite(utf8, 1, (size_t)bytes, out);
    fputc('\n', out);
  }
  return fclose(out) == 0 ? 0 : 7;
}
