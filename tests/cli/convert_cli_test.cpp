#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
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
      // The NUL that ends the text is named with its offset, and what the
      // code dropped is counted as the reference counts it.
      const std::size_t nul = input.find('\0');
      EXPECT_NE(toFile.err.find("ends at the NUL byte at offset " + std::to_string(nul) + "; " +
                                std::to_string(input.size() - nul - 1) + " bytes after it"),
                std::string::npos)
          << toFile.err;
      const std::size_t dropped = ReferenceRun(codec.name, input).dropped.size();
      EXPECT_NE(toFile.err.find(dropped == 0 ? "" : ": " + std::to_string(dropped) + (dropped == 1 ? " byte" : " bytes") +
                                                          " dropped"),
                std::string::npos)
          << toFile.err;
      const RunResult piped = RunQorvel({"convert", "--from=" + std::string(codec.name)}, input);
      EXPECT_EQ(piped.status, 0);
      EXPECT_EQ(piped.out, expected);
      // --strict fails exactly when something was lost, and writes no file.
      for (const std::string& in : {input, input.substr(0, input.find('\0'))}) {
        Spit(dir / "strict.txt", in);
        std::filesystem::remove(dir / "strict_out.txt");
        const ReferenceResult want = ReferenceRun(codec.name, in);
        const RunResult strict =
            RunQorvel({"convert", "--from", codec.name, "--strict", "-o", dir / "strict_out.txt", dir / "strict.txt"});
        const bool lost = !want.dropped.empty() || want.consumed < in.size();
        EXPECT_EQ(strict.status, lost ? 3 : 0) << strict.err;
        EXPECT_EQ(std::filesystem::exists(dir / "strict_out.txt"), !lost);
      }
    }
  }
}

// A user's path through a Mengkeli document with Chinese words in it: told
// what was dropped and where, --keep keeps the Chinese whole, --strict
// leaves an old output alone, -q is quiet; a NUL followed by NULs only (a
// clipboard's padding) ends nothing early; -O counts the files that lost
// bytes and fails them under --strict.
TEST(CliConvert, SaysWhatWasDroppedKeepsOtherTextAndFailsUnderStrict) {
  TempDir dir;
  const std::string mixed = "\xD6\xD0\xB9\xFA\xC8\xCB \xF8\xA2"s;  // 中国人, a space, a glyph unit
  Spit(dir / "mixed.txt", mixed);
  const RunResult plain = RunQorvel({"convert", "--from", "mengkeli", dir / "mixed.txt"});
  EXPECT_EQ(plain.status, 0);
  EXPECT_EQ(plain.err, "qorvel: " + dir / "mixed.txt" +
                           ": 4 bytes dropped (the mengkeli code writes nothing for them), first at offsets 0, 1, 2, 5\n");
  EXPECT_EQ(plain.out, ReferenceConvert("mengkeli", mixed));
  const RunResult kept = RunQorvel({"convert", "--from", "mengkeli", "--keep", dir / "mixed.txt"});
  EXPECT_EQ(kept.status, 0);
  EXPECT_EQ(kept.err, "");
  EXPECT_EQ(kept.out.substr(0, 7), mixed.substr(0, 7));
  EXPECT_EQ(RunQorvel({"convert", "--from", "mengkeli", "-q", dir / "mixed.txt"}).err, "");

  Spit(dir / "old.txt", "old");
  const RunResult strict =
      RunQorvel({"convert", "--from", "mengkeli", "--strict", "-q", "-o", dir / "old.txt", dir / "mixed.txt"});
  EXPECT_EQ(strict.status, 3);
  EXPECT_NE(strict.err.find("4 bytes dropped"), std::string::npos) << strict.err;  // said even with -q
  EXPECT_NE(strict.err.find("old.txt: not written (--strict)"), std::string::npos) << strict.err;
  EXPECT_EQ(Slurp(dir / "old.txt"), "old");
  EXPECT_EQ(RunQorvel({"convert", "--from", "mengkeli", "-k", "-s", "-o", dir / "old.txt", dir / "mixed.txt"}).status, 0);
  EXPECT_EQ(Slurp(dir / "old.txt"), kept.out);
  // To standard output the bytes are gone already: the status says so.
  const RunResult strictOut = RunQorvel({"convert", "--from", "mengkeli", "--strict"}, mixed);
  EXPECT_EQ(strictOut.status, 3);
  EXPECT_EQ(strictOut.out, plain.out);

  const RunResult padded = RunQorvel({"convert", "--from", "hasi", "--strict"}, "ab\0\0\0"s);
  EXPECT_EQ(padded.status, 0) << padded.err;
  EXPECT_EQ(padded.err, "");
  EXPECT_EQ(RunQorvel({"layout", "--strict"}, "ab\0\0"s).status, 0);
  const RunResult cut = RunQorvel({"layout", "--strict", "-q"}, "ab\0cd"s);
  EXPECT_EQ(cut.status, 3);
  EXPECT_EQ(cut.err, "qorvel: standard input: the text ends at the NUL byte at offset 2; 2 bytes after it were not "
                     "laid out\n");
  EXPECT_EQ(RunQorvel({"layout", "-q"}, "ab\0cd"s).err, "");

  std::filesystem::create_directory(dir / "out");
  Spit(dir / "clean.txt", "\xF8\xA2 AB");
  const RunResult batch =
      RunQorvel({"convert", "--from", "mengkeli", "-O", dir / "out", dir / "mixed.txt", dir / "clean.txt"});
  EXPECT_EQ(batch.status, 0);
  EXPECT_NE(batch.err.find("2 files converted, 0 failed, 1 with bytes not converted"), std::string::npos) << batch.err;
  std::filesystem::remove_all(dir / "out");
  std::filesystem::create_directory(dir / "out");
  const RunResult strictBatch = RunQorvel(
      {"convert", "--from", "mengkeli", "--strict", "-O", dir / "out", dir / "mixed.txt", dir / "clean.txt"});
  EXPECT_EQ(strictBatch.status, 1);
  EXPECT_NE(strictBatch.err.find("mixed.txt': not written (--strict): 4 bytes dropped"), std::string::npos)
      << strictBatch.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "out/mixed_qv.txt"));
  EXPECT_TRUE(std::filesystem::exists(dir / "out/clean_qv.txt"));
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
