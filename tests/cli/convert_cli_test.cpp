#include <gtest/gtest.h>
#include <unistd.h>

#include <random>

#include "cli/cli_run.h"
#include "codec/registry.h"
#include "reference/reference.h"

namespace qorvel::testing {
namespace {

using namespace std::string_literals;

std::string RandomBytes(std::mt19937& rng, std::size_t n) {
  static const std::string favourites = "\xF8\xF9\xFA\xFB\xA1\xA3\xA4\xA5\xA6\xAF\xD0\xD9 \r\n`~sAB$"s;
  std::uniform_int_distribution<int> any(0, 255), pick(0, static_cast<int>(favourites.size()) - 1), coin(0, 1);
  std::string s;
  for (std::size_t k = 0; k < n; ++k)
    s += coin(rng) ? favourites[static_cast<std::size_t>(pick(rng))] : static_cast<char>(any(rng));
  return s;
}

// Every code of the registry against its slow reference (a code without one
// throws, naming what to add).
TEST(CliConvert, EveryModeWritesExactlyWhatItsReferenceGives) {
  std::mt19937 rng(5);
  TempDir dir;
  for (int round = 0; round < 4; ++round) {
    const std::string input = RandomBytes(rng, 3000) + "\0tail"s;
    Spit(dir / "in.txt", input);
    for (const Codec& codec : Codecs()) {
      SCOPED_TRACE(codec.name);
      const std::string expected = ReferenceConvert(codec.name, input);
      const RunResult toFile = RunQorvel({"convert", "--from", codec.name, "-o", dir / "out.txt", dir / "in.txt"});
      EXPECT_EQ(toFile.status, 0) << toFile.err;
      EXPECT_EQ(Slurp(dir / "out.txt"), expected);
      // The NUL that ends the text is named with its offset.
      EXPECT_NE(toFile.err.find("offset " + std::to_string(input.find('\0'))), std::string::npos) << toFile.err;
      const RunResult piped = RunQorvel({"convert", "--from=" + std::string(codec.name)}, input);
      EXPECT_EQ(piped.status, 0);
      EXPECT_EQ(piped.out, expected);
    }
  }
}

TEST(CliConvert, ListNamesEveryCode) {
  const RunResult list = RunQorvel({"convert", "--list"});
  EXPECT_EQ(list.status, 0);
  for (const Codec& codec : Codecs())
    EXPECT_NE(list.out.find(std::string(codec.name) + "\t"), std::string::npos) << codec.name;
  EXPECT_NE(RunQorvel({"convert", "--help"}).out.find("hasi"), std::string::npos);
}

TEST(CliConvert, UsageErrors) {
  EXPECT_EQ(RunQorvel({"convert"}).status, 2);
  EXPECT_EQ(RunQorvel({"convert", "--from", "klingon"}).status, 2);
  EXPECT_EQ(RunQorvel({"convert", "--from"}).status, 2);
}

TEST(CliConvert, BadInputsAndOutputsNeverDamageFiles) {
  TempDir dir;
  Spit(dir / "in.txt", "\xF8\xA2 AB");
  Spit(dir / "keep.txt", "keep me");
  for (const char* mode : {"mengkeli", "hasi", "wordfont"}) {
    SCOPED_TRACE(mode);
    const RunResult missing = RunQorvel({"convert", "--from", mode, "-o", dir / "keep.txt", dir / "none.txt"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("none.txt"), std::string::npos);
    EXPECT_EQ(RunQorvel({"convert", "--from", mode, "-o", dir / "keep.txt", dir.path()}).status, 1);
    EXPECT_EQ(RunQorvel({"convert", "--from", mode, "-o", dir / "x/y.txt", dir / "in.txt"}).status, 1);
    const RunResult same = RunQorvel({"convert", "--from", mode, "-o", dir / "../" +
                                      std::filesystem::path(dir.path()).filename().string() + "/in.txt",
                                      dir / "in.txt"});
    EXPECT_EQ(same.status, 1);
    EXPECT_NE(same.err.find("input file"), std::string::npos);
    EXPECT_EQ(Slurp(dir / "in.txt"), "\xF8\xA2 AB");
    EXPECT_EQ(Slurp(dir / "keep.txt"), "keep me");
    if (access("/dev/full", W_OK) == 0) {
      EXPECT_EQ(RunQorvel({"convert", "--from", mode, "-o", "/dev/full", dir / "in.txt"}).status, 1);
    }
  }
}

}  // namespace
}  // namespace qorvel::testing
