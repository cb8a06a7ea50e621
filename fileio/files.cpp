// The part of files.h that is the same on every system.
#include "fileio/files.h"

#include <vector>

namespace qorvel {

bool IsStdStream(const std::string& path) { return path.empty() || path == "-"; }

std::string ReadAll(const std::string& path) {
  InputFile in(path);
  std::string data;
  if (in.Size()) data.reserve(static_cast<std::size_t>(*in.Size()));
  std::vector<char> buf(1 << 20);
  for (;;) {
    const std::size_t got = in.Read(buf.data(), buf.size());
    if (got == 0) break;
    data.append(buf.data(), got);
  }
  return data;
}

void WriteAll(const std::string& path, std::string_view bytes) {
  AtomicOutput out(path);
  out.Write(bytes);
  out.Commit();
}

}  // namespace qorvel
