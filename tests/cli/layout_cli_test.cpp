#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cli/cli_run.h"
#include "layout/layout.h"

namespace qorvel::testing {
namespace {

using namespace std::string_literals;

TEST(CliLayout, WritesTheWebFormatTextOfStandardInput) {
  const RunResult r = RunQorvel({"layout", "--line-height", "0"}, "AB CD EF");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "\r\nEF\r\nCD \r\nAB ");
}

TEST(CliLayout, WrappedTextAndOptionSpellings) {
  EXPECT_EQ(RunQorvel({"layout", "--wrapped", "--line-height=0"}, "AB CD").out, "AB \r\nCD\r\n");
  EXPECT_EQ(RunQorvel({"layout", "-w", "-l", "0", "-"}, "AB CD").out, "AB \r\nCD\r\n");
  // The default line height is 500; a negative one never wraps.
  std::string wide;
  for (int i = 0; i < 100; ++i) wide += "ABCDEFGH ";
  EXPECT_EQ(RunQorvel({"layout", "-w"}, wide).out, WrapText(wide, 500));
  EXPECT_EQ(RunQorvel({"layout", "-w", "--line-height=-1"}, wide).out, wide + "\r\n");
}

TEST(CliLayout, FilesInAndOut) {
  TempDir dir;
  Spit(dir / "in.txt", "X\r\nY\0Z"s);
  const RunResult r = RunQorvel({"layout", "-o", dir / "out.txt", dir / "in.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(Slurp(dir / "out.txt"), "\r\nY\r\nX");
}

// A pipe's size is not known beforehand: the input's buffer grows as it
// fills, here past its first megabyte a few times, and keeps every byte.
TEST(CliLayout, InputFromAPipeOfUnknownSize) {
  TempDir dir;
  const std::string fifo = dir / "in.fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::string text;
  for (int i = 0; text.size() < 3'500'000; ++i) text += i % 7 == 0 ? "\xF8\xA2\r\n" : i % 5 == 0 ? "AB\n" : "\xF8\xB0 CD ";
  const pid_t writer = fork();
  if (writer == 0) {
    const int fd = open(fifo.c_str(), O_WRONLY);
    for (std::size_t at = 0; at < text.size();) {
      const ssize_t put = write(fd, text.data() + at, text.size() - at);
      if (put <= 0) _exit(1);
      at += static_cast<std::size_t>(put);
    }
    _exit(0);
  }
  const RunResult r = RunQorvel({"layout", "-l", "100", fifo});
  int status = 0;
  ASSERT_EQ(waitpid(writer, &status, 0), writer);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.out == WebFormat(WrapText(text, 100))) << "the output differs";
}

TEST(CliLayout, UsageErrorsExitWithTwo) {
  EXPECT_EQ(RunQorvel({}).status, 2);
  EXPECT_EQ(RunQorvel({"frobnicate"}).status, 2);
  const RunResult badHeight = RunQorvel({"layout", "--line-height", "tall"});
  EXPECT_EQ(badHeight.status, 2);
  EXPECT_NE(badHeight.err.find("tall"), std::string::npos);
  EXPECT_EQ(RunQorvel({"layout", "--line-height"}).status, 2);
  EXPECT_EQ(RunQorvel({"layout", "--bogus"}).status, 2);
  EXPECT_EQ(RunQorvel({"layout", "a", "b"}).status, 2);
  // The HTML's options: one form at a time, a size Velmar can have, the
  // look only with HTML.
  EXPECT_EQ(RunQorvel({"layout", "--html", "--wrapped"}).status, 2);
  EXPECT_EQ(RunQorvel({"layout", "--html", "--html-fragment"}).status, 2);
  for (const char* size : {"0", "1001", "7.5", ""})
    EXPECT_EQ(RunQorvel({"layout", "--html", "--font-size", size}).status, 2) << size;
  EXPECT_EQ(RunQorvel({"layout", "--font-face", "F"}).status, 2);
  EXPECT_EQ(RunQorvel({"layout", "--html", "--font-face="}).status, 2);
}

TEST(CliLayout, HelpAndVersion) {
  const RunResult help = RunQorvel({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("layout"), std::string::npos);
  EXPECT_NE(RunQorvel({"layout", "--help"}).out.find("--line-height"), std::string::npos);
  EXPECT_NE(RunQorvel({"layout", "--help"}).out.find("--html-fragment"), std::string::npos);
  EXPECT_EQ(RunQorvel({"--version"}).out.rfind("qorvel ", 0), 0u);
}

TEST(CliLayout, IoErrorsNameTheFileAndKeepExistingOutput) {
  TempDir dir;
  const RunResult missing = RunQorvel({"layout", dir / "nope.txt"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("nope.txt"), std::string::npos);
  EXPECT_NE(missing.err.find("No such file"), std::string::npos);

  const RunResult directory = RunQorvel({"layout", dir.path()});
  EXPECT_EQ(directory.status, 1);
  EXPECT_NE(directory.err.find("directory"), std::string::npos);

  EXPECT_EQ(RunQorvel({"layout", "-o", dir / "no/such/folder/out.txt"}, "A").status, 1);

  // Output into the input file is refused before anything is written.
  Spit(dir / "same.txt", "AB CD");
  const RunResult same = RunQorvel({"layout", "-o", dir / "./same.txt", dir / "same.txt"});
  EXPECT_EQ(same.status, 1);
  EXPECT_EQ(Slurp(dir / "same.txt"), "AB CD");
  ASSERT_EQ(symlink((dir / "same.txt").c_str(), (dir / "link.txt").c_str()), 0);
  EXPECT_EQ(RunQorvel({"layout", "-o", dir / "link.txt", dir / "same.txt"}).status, 1);
  EXPECT_EQ(Slurp(dir / "same.txt"), "AB CD");

  // A full disk is an error, not a success.
  if (access("/dev/full", W_OK) == 0) {
    const RunResult full = RunQorvel({"layout", "-o", "/dev/full"}, "AB");
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("No space"), std::string::npos);
  }
}

TEST(CliLayout, OutputThroughALinkReplacesTheTargetAndKeepsTheLink) {
  TempDir dir;
  Spit(dir / "target.txt", "old");
  ASSERT_EQ(symlink("target.txt", (dir / "link.txt").c_str()), 0);
  EXPECT_EQ(RunQorvel({"layout", "-w", "-o", dir / "link.txt"}, "A").status, 0);
  EXPECT_EQ(Slurp(dir / "target.txt"), "A\r\n");
  struct stat st {};
  ASSERT_EQ(lstat((dir / "link.txt").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

}  // namespace
}  // namespace qorvel::testing
