// The POSIX half of files.h.
#include "fileio/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace qorvel {
namespace {

// Folder part of a path ("." when there is none).
std::string DirName(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The old file is about to be replaced: dropping its cached pages (its bytes
// stay as they are) lets the new file reuse that memory at once instead of
// taking memory nobody has touched yet, and leaves the rename nothing to evict.
void ReleaseCachedPages(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return;
#ifdef POSIX_FADV_DONTNEED  // not every POSIX system has the advice (macOS)
  posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
#endif
  close(fd);
}

std::string BaseName(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows symbolic links so that the rename replaces the file the link
// points at, not the link itself. A dangling link resolves to its target path.
std::string ResolveLinks(const std::string& path) {
  std::string current = path;
  for (int depth = 0; depth < 40; ++depth) {
    struct stat st {};
    if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::vector<char> buf(PATH_MAX + 1);
    const ssize_t len = readlink(current.c_str(), buf.data(), PATH_MAX);
    if (len < 0) return current;
    std::string target(buf.data(), static_cast<std::size_t>(len));
    current = (!target.empty() && target[0] == '/') ? target : DirName(current) + "/" + target;
  }
  return current;
}

// The rename is durable only once the folder that holds the new name is on
// disk too. A file system that cannot sync a folder (EINVAL) keeps its names
// its own way.
int SyncFolderOf(const std::string& path) {
  const int fd = open(DirName(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  const int err = fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
  close(fd);
  return err;
}

}  // namespace

std::string ErrnoText(int err) { return std::strerror(err); }

InputFile::InputFile(const std::string& path) {
  if (IsStdStream(path)) {
    fd_ = STDIN_FILENO;
    name_ = "standard input";
  } else {
    name_ = path;
    fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throw IoError(IoError::Kind::OpenInput, path, ErrnoText(errno));
    owned_ = true;
  }
  struct stat st {};
  if (fstat(fd_, &st) == 0) {
    if (S_ISDIR(st.st_mode)) {
      if (owned_) close(fd_);
      fd_ = -1;
      throw IoError(IoError::Kind::OpenInput, name_, ErrnoText(EISDIR));
    }
    if (S_ISREG(st.st_mode)) size_ = static_cast<std::uint64_t>(st.st_size);
  }
}

InputFile::~InputFile() {
  if (owned_ && fd_ >= 0) close(fd_);
}

std::size_t InputFile::Read(char* buf, std::size_t n) {
  for (;;) {
    const ssize_t got = read(fd_, buf, n);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno == EINTR) continue;
    throw IoError(IoError::Kind::ReadInput, name_, ErrnoText(errno));
  }
}

AtomicOutput::AtomicOutput(const std::string& path) {
  if (IsStdStream(path)) {
    fd_ = STDOUT_FILENO;
    name_ = "standard output";
    return;
  }
  name_ = path;
  target_ = ResolveLinks(path);
  struct stat st {};
  const bool exists = stat(target_.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode))
    throw IoError(IoError::Kind::OpenOutput, path, ErrnoText(EISDIR));
  if (exists && !S_ISREG(st.st_mode)) {
    // A device or a pipe: there is no file to replace, write straight to it.
    fd_ = open(target_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd_ < 0) throw IoError(IoError::Kind::OpenOutput, path, ErrnoText(errno));
    owned_ = true;
    return;
  }
  if (exists && access(target_.c_str(), W_OK) != 0)
    throw IoError(IoError::Kind::OpenOutput, path, ErrnoText(errno));
  std::string temp = DirName(target_) + "/." + BaseName(target_) + ".XXXXXX";
  // A new file gets the mode any new file gets here (the umask applied by
  // the kernel as the file is created); a replaced file keeps its mode.
  fd_ = tempFile_.Create(temp, 0666);
  if (fd_ < 0) throw IoError(IoError::Kind::OpenOutput, path, ErrnoText(errno));
  owned_ = true;
  temp_ = temp;
  if (exists) {
    fchmod(fd_, st.st_mode & 07777);
    ReleaseCachedPages(target_);
  }
}

AtomicOutput::~AtomicOutput() {
  if (!committed_) Discard();
}

void AtomicOutput::Discard() noexcept {
  if (owned_ && fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!temp_.empty()) unlink(temp_.c_str());
  tempFile_.Release();
  temp_.clear();
}

void AtomicOutput::Write(std::string_view bytes) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t put = write(fd_, p, left);
    if (put < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      throw IoError(IoError::Kind::WriteOutput, name_, ErrnoText(err));
    }
    p += put;
    left -= static_cast<std::size_t>(put);
    written_ += static_cast<std::uint64_t>(put);
  }
  StartWriteback();
}

void AtomicOutput::StartWriteback() {
  // Commit waits for the file to reach the disk before the rename; starting
  // that as the bytes come spreads the work over the run instead of stalling
  // at the end. A hint only: a real write error still shows at the sync.
  // Only Linux can start the writeback without waiting for it
  // (sync_file_range); elsewhere Commit's fsync does all of it, since an
  // fsync or fdatasync here would stall every write for the disk.
  if (temp_.empty() || written_ - writebackFrom_ < kWritebackStep) return;
#ifdef __linux__
  sync_file_range(fd_, static_cast<off_t>(writebackFrom_), static_cast<off_t>(written_ - writebackFrom_),
                  SYNC_FILE_RANGE_WRITE);
#endif
  writebackFrom_ = written_;
}

// A replaced file must survive a crash: its bytes (and its mode) are synced
// before the rename, so that the name never points at a file the disk does
// not hold yet, and the folder after it, so that the rename itself is kept.
// After a crash the target holds the old bytes or the new ones, whole.
void AtomicOutput::Commit() {
  if (committed_) return;
  const auto fail = [this](int err) {
    const IoError error(IoError::Kind::WriteOutput, name_, ErrnoText(err));
    Discard();
    throw error;
  };
  if (owned_) {
    const int fd = fd_;
    fd_ = -1;
    // A full disk may show only here, when the file system allocates late.
    const int synced = temp_.empty() || fsync(fd) == 0 ? 0 : errno;
    if (close(fd) != 0 || synced != 0) {
      const int err = synced ? synced : errno;
      fail(err);
    }
  }
  if (!temp_.empty()) {
    if (rename(temp_.c_str(), target_.c_str()) != 0) fail(errno);
    tempFile_.Release();
    temp_.clear();
    if (const int err = SyncFolderOf(target_)) {
      committed_ = true;  // the new file is in place; only its name may not last a crash
      throw IoError(IoError::Kind::WriteOutput,
                    "cannot sync the folder of '" + name_ + "' (the file is written): " + ErrnoText(err));
    }
  }
  committed_ = true;
}

bool SameFile(const std::string& a, const std::string& b) {
  if (IsStdStream(a) || IsStdStream(b)) return false;
  struct stat sa {}, sb {};
  if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace qorvel
