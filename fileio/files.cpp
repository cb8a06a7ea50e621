// The part of files.h that is the same on every system.
#include "fileio/files.h"

namespace qorvel {

bool IsStdStream(const std::string& path) { return path.empty() || path == "-"; }

void WriteAll(const std::string& path, std::string_view bytes) {
  AtomicOutput out(path);
  out.Write(bytes);
  out.Commit();
}

}  // namespace qorvel
