// The part of files.h that is the same on every system.
#include "fileio/files.h"

namespace qorvel {
namespace {

const char* Verb(IoError::Kind kind) {
  switch (kind) {
    case IoError::Kind::OpenInput: return "cannot open";
    case IoError::Kind::ReadInput: return "cannot read";
    default: return "cannot write";
  }
}

}  // namespace

IoError::IoError(Kind kind, const std::string& path, const std::string& reason)
    : std::runtime_error(std::string(Verb(kind)) + " '" + path + "': " + reason), kind_(kind), path_(path), reason_(reason) {}

bool IsStdStream(const std::string& path) { return path.empty() || path == "-"; }

void WriteAll(const std::string& path, std::string_view bytes) {
  AtomicOutput out(path);
  out.Write(bytes);
  out.Commit();
}

}  // namespace qorvel
