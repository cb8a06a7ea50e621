// The Windows half of files.h, with the promises of the POSIX half: the
// output goes to a temporary file in the target's folder and is moved over
// the target in one step once complete; the same file is recognised by its
// volume and file index whatever the spelling; errors name the file and give
// the system's reason in the user's language. Names are UTF-8 here and
// UTF-16 at the API. The descriptors of files.h wrap Win32 handles, which are
// read and written directly, so no text-mode translation ever applies.
#include "fileio/files.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "fileio/win32_text.h"

namespace qorvel {
namespace {

// The system's text for a Win32 error, e.g. "Access is denied", without the
// closing period and line break, like the POSIX texts.
std::string SystemText(DWORD err) {
  wchar_t* buf = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, err, 0,
      reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
  std::string text;
  if (n != 0 && buf) text = Narrow(std::wstring_view(buf, n));
  if (buf) LocalFree(buf);
  while (!text.empty() && std::strchr("\r\n .", text.back())) text.pop_back();
  return text.empty() ? "system error " + std::to_string(err) : text;
}

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

// Opens an existing file or folder for nothing but its attributes.
HANDLE OpenForInfo(const std::string& path) {
  return CreateFileW(Widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Everything up to and including the last separator (or a drive's "C:").
std::string FolderPrefix(const std::string& path) {
  const auto sep = path.find_last_of("/\\");
  if (sep != std::string::npos) return path.substr(0, sep + 1);
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
  return "";
}

}  // namespace

std::string ErrnoText(int err) { return std::strerror(err); }

InputFile::InputFile(const std::string& path) {
  if (IsStdStream(path)) {
    fd_ = 0;
    name_ = "standard input";
  } else {
    name_ = path;
    // Backup semantics lets a folder open too, so that it is refused below
    // as a folder rather than with a bare "Access is denied".
    const HANDLE h = CreateFileW(Widen(path).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE)
      throw IoError(IoError::Kind::OpenInput, path, SystemText(GetLastError()));
    fd_ = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY);
    if (fd_ < 0) {
      CloseHandle(h);
      throw IoError(IoError::Kind::OpenInput, path, ErrnoText(EMFILE));
    }
    owned_ = true;
  }
  const HANDLE h = HandleOf(fd_);
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info)) {
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (owned_) _close(fd_);
      fd_ = -1;
      throw IoError(IoError::Kind::OpenInput, name_, ErrnoText(EISDIR));
    }
    size_ = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  }
}

InputFile::~InputFile() {
  if (owned_ && fd_ >= 0) _close(fd_);
}

std::size_t InputFile::Read(char* buf, std::size_t n) {
  DWORD got = 0;
  const DWORD want = static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30));
  if (ReadFile(HandleOf(fd_), buf, want, &got, nullptr)) return got;
  const DWORD err = GetLastError();
  // The writer of a pipe has closed it: that is the end of the input.
  if (err == ERROR_BROKEN_PIPE || err == ERROR_HANDLE_EOF) return 0;
  throw IoError(IoError::Kind::ReadInput, name_, SystemText(err));
}

AtomicOutput::AtomicOutput(const std::string& path) {
  if (IsStdStream(path)) {
    fd_ = 1;
    name_ = "standard output";
    return;
  }
  name_ = path;
  target_ = path;
  const auto fail = [&](const std::string& reason) { throw IoError(IoError::Kind::OpenOutput, path, reason); };
  const std::wstring wide = Widen(target_);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) fail(ErrnoText(EISDIR));
  // The move would refuse a read-only target only at the end, after all the
  // work; an administrator's handle could even write it. Refuse it now.
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    fail(SystemText(ERROR_ACCESS_DENIED));
  // Opening the existing target for writing tells at once whether it may be
  // replaced (a read-only file, one locked by another program) and whether
  // it is a device such as NUL or a pipe, which is written straight to.
  const HANDLE existing = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool exists = false;
  if (existing == INVALID_HANDLE_VALUE) {
    const DWORD err = GetLastError();
    if (err != ERROR_FILE_NOT_FOUND) fail(SystemText(err));
  } else if (GetFileType(existing) != FILE_TYPE_DISK) {
    fd_ = _open_osfhandle(reinterpret_cast<intptr_t>(existing), 0);
    if (fd_ < 0) {
      CloseHandle(existing);
      fail(ErrnoText(EMFILE));
    }
    owned_ = true;
    return;
  } else {
    CloseHandle(existing);
    exists = true;
  }
  std::string temp = FolderPrefix(target_) + "." + target_.substr(FolderPrefix(target_).size()) + ".XXXXXX";
  fd_ = tempFile_.Create(temp);
  if (fd_ < 0) fail(SystemText(GetLastError()));
  owned_ = true;
  temp_ = temp;
  replacing_ = exists;
}

AtomicOutput::~AtomicOutput() {
  if (!committed_) Discard();
}

void AtomicOutput::Discard() noexcept {
  if (owned_ && fd_ >= 0) _close(fd_);
  fd_ = -1;
  if (!temp_.empty()) DeleteFileW(Widen(temp_).c_str());
  tempFile_.Release();
  temp_.clear();
}

void AtomicOutput::Write(std::string_view bytes) {
  const HANDLE h = HandleOf(fd_);
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    DWORD put = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(left, 1u << 30));
    if (!WriteFile(h, p, chunk, &put, nullptr))
      throw IoError(IoError::Kind::WriteOutput, name_, SystemText(GetLastError()));
    p += put;
    left -= put;
    written_ += put;
  }
  StartWriteback();
}

// The file goes to disk at Commit (FlushFileBuffers) before it replaces
// another; Windows has no ranged hint to start that early.
void AtomicOutput::StartWriteback() {}

void AtomicOutput::Commit() {
  if (committed_) return;
  const auto fail = [this](const std::string& reason) {
    const IoError error(IoError::Kind::WriteOutput, name_, reason);
    Discard();
    throw error;
  };
  if (owned_) {
    // The new bytes must be on disk before the old file is gone, as the
    // write-through move only makes the move itself durable.
    if (replacing_ && !FlushFileBuffers(HandleOf(fd_))) fail(SystemText(GetLastError()));
    const int fd = fd_;
    fd_ = -1;
    if (_close(fd) != 0) fail(ErrnoText(errno));
  }
  if (!temp_.empty() && !MoveFileExW(Widen(temp_).c_str(), Widen(target_).c_str(),
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    fail(SystemText(GetLastError()));
  tempFile_.Release();
  temp_.clear();
  committed_ = true;
}

bool SameFile(const std::string& a, const std::string& b) {
  if (IsStdStream(a) || IsStdStream(b)) return false;
  const HANDLE ha = OpenForInfo(a);
  if (ha == INVALID_HANDLE_VALUE) return false;
  const HANDLE hb = OpenForInfo(b);
  BY_HANDLE_FILE_INFORMATION ia{}, ib{};
  const bool same = hb != INVALID_HANDLE_VALUE && GetFileInformationByHandle(ha, &ia) &&
                    GetFileInformationByHandle(hb, &ib) && ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
                    ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
  if (hb != INVALID_HANDLE_VALUE) CloseHandle(hb);
  CloseHandle(ha);
  return same;
}

}  // namespace qorvel
