/* The installer's PATH step: adds a folder to the machine's PATH, or takes
 * it away again, leaving every other entry exactly as it was.
 *
 *   path_entry add FOLDER      exit 0: added; 1: it was there already
 *   path_entry remove FOLDER   exit 0: removed; 1: it was not there
 *   (3: the registry could not be read or written; 2: usage)
 *
 * NSIS cannot do this itself: its strings hold 1,024 characters (Debian
 * builds it so, and ships no large-string build), and a machine's PATH is
 * often longer; reading it into an NSIS variable would cut it, and writing
 * it back would lose the rest. Here it is a buffer of any length, and its
 * type stays: a REG_EXPAND_SZ keeps its %SystemRoot% unexpanded.
 *
 * An entry matches FOLDER when they are the same but for letter case and a
 * trailing backslash. A new entry goes at the end; taking it away removes
 * it and one separator, so an install followed by an uninstall gives back
 * the value it found, byte for byte. */

#include <windows.h>

#include <stdlib.h>
#include <wchar.h>

static const wchar_t kKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

enum { kChanged = 0, kUnchanged = 1, kUsage = 2, kFailed = 3 };

/* The length without a trailing backslash (but "C:\" keeps its own). */
static size_t Trimmed(const wchar_t *s, size_t n) {
  if (n > 3 && s[n - 1] == L'\\') --n;
  return n;
}

static BOOL SameFolder(const wchar_t *entry, size_t n, const wchar_t *folder) {
  const size_t m = Trimmed(folder, wcslen(folder));
  n = Trimmed(entry, n);
  return n == m && CompareStringOrdinal(entry, (int)n, folder, (int)m, TRUE) == CSTR_EQUAL;
}

/* Takes the entries that match folder out of path, in place, with one
 * separator each; says whether there was one. Leaves path as it was when
 * there was none. */
static BOOL Without(wchar_t *path, const wchar_t *folder) {
  wchar_t *out = path;
  BOOL first = TRUE, found = FALSE;
  for (const wchar_t *entry = path; entry;) {
    const wchar_t *end = wcschr(entry, L';');
    const size_t n = end ? (size_t)(end - entry) : wcslen(entry);
    if (SameFolder(entry, n, folder)) {
      found = TRUE;
    } else {
      if (!first) *out++ = L';';
      wmemmove(out, entry, n);
      out += n;
      first = FALSE;
    }
    entry = end ? end + 1 : NULL;
  }
  *out = L'\0';
  return found;
}

/* The value, NUL-terminated, in a buffer with room for `extra` more
 * characters; *type REG_EXPAND_SZ and an empty value when there is none. */
static wchar_t *ReadPath(HKEY key, DWORD *type, size_t extra) {
  DWORD bytes = 0;
  LSTATUS status = RegQueryValueExW(key, L"Path", NULL, type, NULL, &bytes);
  if (status == ERROR_FILE_NOT_FOUND) {
    *type = REG_EXPAND_SZ;
    bytes = 0;
  } else if (status != ERROR_SUCCESS || (*type != REG_SZ && *type != REG_EXPAND_SZ)) {
    return NULL;
  }
  for (;;) {
    const size_t chars = bytes / sizeof(wchar_t);
    wchar_t *path = calloc(chars + extra + 1, sizeof(wchar_t));
    if (!path) return NULL;
    if (bytes == 0) return path;
    DWORD got = bytes;
    status = RegQueryValueExW(key, L"Path", NULL, type, (BYTE *)path, &got);
    if (status == ERROR_SUCCESS) {
      path[got / sizeof(wchar_t)] = L'\0';  /* stored without its NUL, it may be */
      return path;
    }
    free(path);
    if (status != ERROR_MORE_DATA) return NULL;
    bytes = got;  /* it grew meanwhile */
  }
}

static BOOL WritePath(HKEY key, DWORD type, const wchar_t *path) {
  const DWORD bytes = (DWORD)((wcslen(path) + 1) * sizeof(wchar_t));
  if (RegSetValueExW(key, L"Path", 0, type, (const BYTE *)path, bytes) != ERROR_SUCCESS) return FALSE;
  /* Programs started from Explorer from now on see the new PATH. */
  SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, (LPARAM)L"Environment", SMTO_ABORTIFHUNG, 5000, NULL);
  return TRUE;
}

static int Add(HKEY key, const wchar_t *folder) {
  DWORD type;
  const size_t extra = wcslen(folder) + 2;
  wchar_t *path = ReadPath(key, &type, extra);
  if (!path) return kFailed;
  if (Without(path, folder)) {  /* there: nothing taken out */
    free(path);
    return kUnchanged;
  }
  /* "a;b" gives "a;b;FOLDER", and "a;b;" gives "a;b;FOLDER;": taking the
   * entry and the separator before it (or after it) away gives it back. */
  const size_t n = wcslen(path);
  if (n == 0) {
    wcscpy(path, folder);
  } else if (path[n - 1] == L';') {
    wcscat(path, folder);
    wcscat(path, L";");
  } else {
    wcscat(path, L";");
    wcscat(path, folder);
  }
  const BOOL written = WritePath(key, type, path);
  free(path);
  return written ? kChanged : kFailed;
}

static int Remove(HKEY key, const wchar_t *folder) {
  DWORD type;
  wchar_t *path = ReadPath(key, &type, 0);
  if (!path) return kFailed;
  const BOOL found = Without(path, folder);
  const int result = !found ? kUnchanged : WritePath(key, type, path) ? kChanged : kFailed;
  free(path);
  return result;
}

int wmain(int argc, wchar_t **argv) {
  if (argc != 3 || argv[2][0] == L'\0' || wcschr(argv[2], L';')) return kUsage;
  const BOOL add = wcscmp(argv[1], L"add") == 0;
  if (!add && wcscmp(argv[1], L"remove") != 0) return kUsage;
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_WOW64_64KEY, &key) !=
      ERROR_SUCCESS)
    return kFailed;
  const int result = add ? Add(key, argv[2]) : Remove(key, argv[2]);
  RegCloseKey(key);
  return result;
}
