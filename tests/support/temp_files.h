#pragma once
// Temporary folders and whole-file reads and writes for the tests.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace qorvel::testing {

inline std::string Slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

inline void Spit(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary);
  f << bytes;
}

// A fresh folder under the test temp dir, removed with the object.
class TempDir {
 public:
  TempDir() {
#ifdef _WIN32
    // No mkdtemp there: random names until one is new.
    std::random_device random;
    for (;;) {
      const auto dir = std::filesystem::temp_directory_path() / ("qorvel-test-" + std::to_string(random()));
      if (std::filesystem::create_directory(dir)) {
        path_ = dir.string();
        break;
      }
    }
#else
    std::string pattern = (std::filesystem::temp_directory_path() / "qorvel-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
#endif
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(path_, ec);
  }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace qorvel::testing
