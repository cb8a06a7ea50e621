#pragma once
// Reading inputs in large chunks and writing outputs atomically: a temporary
// file in the target's folder, renamed over the target only once every byte
// is written, so a failed run never damages an existing file. Once
// InstallInterruptCleanup (interrupt.h) has run, an interrupted run doesn't
// either, and leaves no temporary file behind.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "fileio/interrupt.h"

namespace qorvel {

class IoError : public std::runtime_error {
 public:
  enum class Kind { OpenInput, ReadInput, OpenOutput, WriteOutput, SameFile };
  // A failure on the file `path` (as it was named) for the system's
  // `reason` (UTF-8): what() says both for the command line, e.g. "cannot
  // open 'a.txt': No such file or directory"; a front end that speaks
  // another language frames path() and reason() in its own words.
  IoError(Kind kind, const std::string& path, const std::string& reason);
  // Any other failure, said by `message` alone (no path, no reason).
  IoError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
  Kind kind() const { return kind_; }
  const std::string& path() const { return path_; }
  const std::string& reason() const { return reason_; }

 private:
  Kind kind_;
  std::string path_;
  std::string reason_;
};

// "-" or an empty path names standard input / standard output.
bool IsStdStream(const std::string& path);

// The text of errno value `err`, e.g. "No such file or directory".
std::string ErrnoText(int err);

class InputFile {
 public:
  // Opens `path` for reading; throws IoError(OpenInput) naming the file and
  // the reason (missing, unreadable, a directory...).
  explicit InputFile(const std::string& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Reads up to `n` bytes; returns 0 at the end. Throws IoError(ReadInput).
  std::size_t Read(char* buf, std::size_t n);
  // The size of a regular file, if known in advance.
  std::optional<std::uint64_t> Size() const { return size_; }
  // How the file is named in messages.
  const std::string& Name() const { return name_; }

 private:
  int fd_ = -1;
  bool owned_ = false;
  std::string name_;
  std::optional<std::uint64_t> size_;
};

class AtomicOutput {
 public:
  // Prepares to write `path`. A regular file (new or existing) is written
  // through a temporary file and renamed into place by Commit; standard
  // output and special files (a terminal, a pipe, /dev/null) are written
  // directly. Throws IoError(OpenOutput).
  explicit AtomicOutput(const std::string& path);
  ~AtomicOutput();  // without Commit: removes the temporary file
  AtomicOutput(const AtomicOutput&) = delete;
  AtomicOutput& operator=(const AtomicOutput&) = delete;

  // Throws IoError(WriteOutput) on a write error (a full disk).
  void Write(std::string_view bytes);
  // Makes the output final. Throws IoError(WriteOutput).
  void Commit();
  const std::string& Name() const { return name_; }
  std::uint64_t Written() const { return written_; }

 private:
  void Discard() noexcept;
  void StartWriteback();

  static constexpr std::uint64_t kWritebackStep = 4 << 20;

  int fd_ = -1;
  bool owned_ = false;
  bool committed_ = false;
  std::string name_;    // as the user named it
  std::string target_;  // the file that the rename replaces (links resolved)
  std::string temp_;    // empty when writing directly
  InterruptibleTempFile tempFile_;  // removes temp_ if the process is interrupted
#ifdef _WIN32
  bool replacing_ = false;  // the temporary file will replace an existing file
#endif
  std::uint64_t written_ = 0;
  std::uint64_t writebackFrom_ = 0;  // written_ when writeback was last started
};

// True when both paths name the same existing file (also through another
// spelling of the path or a link).
bool SameFile(const std::string& a, const std::string& b);

// Writes `bytes` to `path` atomically (or to standard output). Throws IoError.
void WriteAll(const std::string& path, std::string_view bytes);

}  // namespace qorvel
