/* Prints the target and the working folder of each shortcut (.lnk) named on
 * the command line, one line each, tab-separated, in UTF-8: read through the
 * shell's own IShellLink, as Explorer and the Start menu read it, so a
 * Chinese or Mongolian folder name comes out whole. installer_test.sh runs
 * it under Wine. Exit status 1 when a shortcut cannot be read. */
#define COBJMACROS
#include <windows.h>
#include <shlobj.h>

static void put_utf8(HANDLE out, const wchar_t *s) {
  char buf[4 * MAX_PATH];
  int n = WideCharToMultiByte(CP_UTF8, 0, s, -1, buf, sizeof buf, NULL, NULL);
  DWORD written;
  if (n > 1) WriteFile(out, buf, (DWORD)(n - 1), &written, NULL);
}

/* The target through the item list, as the shell opens it; the path
 * string beside it may be kept in the ANSI code page (Wine keeps only that
 * one), which has no room for a Chinese folder name on a Western system. */
static BOOL target_of(IShellLinkW *link, wchar_t *target) {
  PIDLIST_ABSOLUTE items = NULL;
  BOOL ok = FALSE;
  if (SUCCEEDED(IShellLinkW_GetIDList(link, &items)) && items) {
    ok = SHGetPathFromIDListW(items, target);
    CoTaskMemFree(items);
  }
  return ok || SUCCEEDED(IShellLinkW_GetPath(link, target, MAX_PATH, NULL, SLGP_RAWPATH));
}

int wmain(int argc, wchar_t **argv) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD written;
  int status = 0;
  if (FAILED(CoInitialize(NULL))) return 1;
  for (int i = 1; i < argc; ++i) {
    IShellLinkW *link = NULL;
    IPersistFile *file = NULL;
    wchar_t target[MAX_PATH] = L"", folder[MAX_PATH] = L"";
    if (FAILED(CoCreateInstance(&CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, &IID_IShellLinkW, (void **)&link)) ||
        FAILED(IShellLinkW_QueryInterface(link, &IID_IPersistFile, (void **)&file)) ||
        FAILED(IPersistFile_Load(file, argv[i], STGM_READ)) ||
        !target_of(link, target) ||
        FAILED(IShellLinkW_GetWorkingDirectory(link, folder, MAX_PATH))) {
      HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
      WriteFile(err, "lnk_target: cannot read ", 24, &written, NULL);
      put_utf8(err, argv[i]);
      WriteFile(err, "\n", 1, &written, NULL);
      status = 1;
    } else {
      put_utf8(out, target);
      WriteFile(out, "\t", 1, &written, NULL);
      put_utf8(out, folder);
      WriteFile(out, "\n", 1, &written, NULL);
    }
    if (file) IPersistFile_Release(file);
    if (link) IShellLinkW_Release(link);
  }
  CoUninitialize();
  return status;
}
