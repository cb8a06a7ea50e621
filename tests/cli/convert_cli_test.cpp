#include <gtest/gtest.h>
#include <unistd.h>

#include <random>

#include "cli/cli_run.h"
#include "codec/hasi.h"
#include "codec/mengkeli_paste.h"
#include "codec/mengkeli_file.h"
#include "codec/mingantu.h"
#include "codec/wordfont.h"

namespace qorvel::testing {
namespace {

using namespace std::string_literals;

std::string Paste(void (*convert)(std::string_view, std::string&), const std::string& text) {
  std::string out;
  convert(text.substr(0, text.find('\0')), out);
  return out;
}

template <class Converter>
std::string Stream(const std::string& text) {
  Converter conv;
  std::string out;
  conv.Feed(text, out);
  conv.Finish(out);
  return out;
}

std::string RandomBytes(std::mt19937& rng, std::size_t n) {
  static const std::string favourites = "\xF8\xF9\xFA\xFB\xA1\xA3\xA4\xA5\xA6\xAF\xD0\xD9 \r\n`~sAB$"s;
  std::uniform_int_distribution<int> any(0, 255), pick(0, static_cast<int>(favourites.size()) - 1), coin(0, 1);
  std::string s;
  for (std::size_t k = 0; k < n; ++k)
    s += coin(rng) ? favourites[static_cast<std::size_t>(pick(rng))] : static_cast<char>(any(rng));
  return s;
}

TEST(CliConvert, EveryModeWritesExactlyWhatItsConverterGives) {
  std::mt19937 rng(5);
  TempDir dir;
  for (int round = 0; round < 4; ++round) {
    const std::string input = RandomBytes(rng, 3000) + "\0tail"s;
    Spit(dir / "in.txt", input);
    const struct {
      const char* mode;
      std::string expected;
    } modes[] = {
        {"mengkeli", Stream<MengkeliFileConverter>(input)},
        {"hasi", Stream<HasiConverter>(input)},
        {"mengkeli-paste", Paste(&ConvertMengkeliPaste, input)},
        {"mingantu", Paste(&ConvertMingantuPaste, input)},
        {"wordfont", Paste(&ConvertWordFontPaste, input)},
    };
    for (const auto& m : modes) {
      SCOPED_TRACE(m.mode);
      const RunResult toFile = RunQorvel({"convert", "--from", m.mode, "-o", dir / "out.txt", dir / "in.txt"});
      EXPECT_EQ(toFile.status, 0) << toFile.err;
      EXPECT_EQ(Slurp(dir / "out.txt"), m.expected);
      // The NUL that ends the text is named with its offset.
      EXPECT_NE(toFile.err.find("offset " + std::to_string(input.find('\0'))), std::string::npos) << toFile.err;
      const RunResult piped = RunQorvel({"convert", "--from=" + std::string(m.mode)}, input);
      EXPECT_EQ(piped.status, 0);
      EXPECT_EQ(piped.out, m.expected);
    }
  }
}

TEST(CliConvert, ListNamesEveryCode) {
  const RunResult list = RunQorvel({"convert", "--list"});
  EXPECT_EQ(list.status, 0);
  for (const char* code : {"mengkeli", "mengkeli-paste", "mingantu", "wordfont", "hasi"})
    EXPECT_NE(list.out.find(std::string(code) + "\t"), std::string::npos) << code;
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
