// Every command of qorvel against inputs and outputs that go wrong: each
// case gives a message naming the file and the reason, exit status 1, and
// never damages an existing file.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "cli/cli_run.h"

namespace qorvel::testing {
namespace {

using namespace std::string_literals;

// Each command line ends with its input and output placeholders.
const std::vector<std::vector<std::string>> kCommands = {
    {"layout"},
    {"convert", "--from", "mengkeli"},
    {"convert", "--from", "mengkeli-paste"},
    {"convert", "--from", "mingantu"},
    {"convert", "--from", "wordfont"},
    {"convert", "--from", "hasi"},
};

std::vector<std::string> With(std::vector<std::string> args, const std::string& in, const std::string& out) {
  args.push_back("-o");
  args.push_back(out);
  args.push_back(in);
  return args;
}

std::string Name(const std::vector<std::string>& command) { return command.size() > 1 ? command[2] : command[0]; }

void ExpectFailure(const RunResult& r, const std::string& mentions, const std::string& reason) {
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find(mentions), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(reason), std::string::npos) << r.err;
}

TEST(BadInputMatrix, InputsThatCannotBeRead) {
  TempDir dir;
  Spit(dir / "out.txt", "precious");
  for (const auto& command : kCommands) {
    SCOPED_TRACE(Name(command));
    ExpectFailure(RunQorvel(With(command, dir / "missing.txt", dir / "out.txt")), "missing.txt", "No such file");
    ExpectFailure(RunQorvel(With(command, dir.path(), dir / "out.txt")), dir.path(), "Is a directory");
    // Reading the start of a process's own memory fails with an I/O error.
    ExpectFailure(RunQorvel(With(command, "/proc/self/mem", dir / "out.txt")), "/proc/self/mem", "error");
    if (geteuid() != 0) {
      Spit(dir / "locked.txt", "AB");
      std::filesystem::permissions(dir / "locked.txt", std::filesystem::perms::none);
      ExpectFailure(RunQorvel(With(command, dir / "locked.txt", dir / "out.txt")), "locked.txt", "Permission");
    }
    EXPECT_EQ(Slurp(dir / "out.txt"), "precious");
  }
}

TEST(BadInputMatrix, OutputsThatCannotBeWritten) {
  TempDir dir;
  Spit(dir / "in.txt", "\xF8\xA2 AB\r\n");
  Spit(dir / "link-target.txt", "\xF8\xA2");
  for (const auto& command : kCommands) {
    SCOPED_TRACE(Name(command));
    ExpectFailure(RunQorvel(With(command, dir / "in.txt", dir / "nowhere/out.txt")), "nowhere/out.txt",
                  "No such file");
    ExpectFailure(RunQorvel(With(command, dir / "in.txt", dir.path())), dir.path(), "Is a directory");
    // The input itself, under another spelling or through a link.
    ExpectFailure(RunQorvel(With(command, dir / "in.txt", dir / "in.txt")), "in.txt", "input file");
    ExpectFailure(RunQorvel(With(command, dir / "in.txt", dir / "./in.txt")), "in.txt", "input file");
    std::filesystem::remove(dir / "alias.txt");
    std::filesystem::create_symlink(dir / "in.txt", dir / "alias.txt");
    ExpectFailure(RunQorvel(With(command, dir / "alias.txt", dir / "in.txt")), "in.txt", "input file");
    EXPECT_EQ(Slurp(dir / "in.txt"), "\xF8\xA2 AB\r\n");
    if (access("/dev/full", W_OK) == 0) {
      ExpectFailure(RunQorvel(With(command, dir / "in.txt", "/dev/full")), "/dev/full", "No space");
    }
  }
}

class SmallFilesystem : public ::testing::Test {
 protected:
  void SetUp() override {
    mnt_ = dir_ / "mnt";
    std::filesystem::create_directory(mnt_);
    if (mount("tmpfs", mnt_.c_str(), "tmpfs", 0, "size=64k") != 0) GTEST_SKIP() << "cannot mount a tmpfs here";
    mounted_ = true;
  }
  void TearDown() override {
    if (mounted_) umount(mnt_.c_str());
  }
  TempDir dir_;
  std::string mnt_;
  bool mounted_ = false;
};

TEST_F(SmallFilesystem, FullDiskKeepsTheOldOutputAndLeavesNoTemporaryFile) {
  // 200 KB of input converts to more than the 64 KB filesystem holds in
  // every code.
  std::string input;
  for (int k = 0; k < 50000; ++k) input += "A\xF8\xA2 "s;
  Spit(dir_ / "big.txt", input);
  for (const auto& command : kCommands) {
    SCOPED_TRACE(Name(command));
    Spit(mnt_ + "/out.txt", "precious");
    ExpectFailure(RunQorvel(With(command, dir_ / "big.txt", mnt_ + "/out.txt")), mnt_ + "/out.txt", "No space");
    EXPECT_EQ(Slurp(mnt_ + "/out.txt"), "precious");
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(mnt_)) ++files;
    EXPECT_EQ(files, 1u);
  }
}

TEST_F(SmallFilesystem, ReadOnlyFolderIsRefused) {
  Spit(mnt_ + "/out.txt", "precious");
  ASSERT_EQ(mount("tmpfs", mnt_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k"), 0);
  TempDir in;
  Spit(in / "in.txt", "AB");
  for (const auto& command : kCommands) {
    SCOPED_TRACE(Name(command));
    ExpectFailure(RunQorvel(With(command, in / "in.txt", mnt_ + "/out.txt")), mnt_ + "/out.txt", "Read-only");
    EXPECT_EQ(Slurp(mnt_ + "/out.txt"), "precious");
  }
}

TEST(BadInputMatrix, OddButReadableInputsConvert) {
  TempDir dir;
  Spit(dir / "empty.txt", "");
  Spit(dir / "nul.txt", "\0\xF8\xA2 AB"s);
  std::mt19937 rng(9);
  std::string binary;
  for (int k = 0; k < 100000; ++k) binary += static_cast<char>(rng());
  Spit(dir / "binary.bin", binary);
  for (const auto& command : kCommands) {
    SCOPED_TRACE(Name(command));
    const RunResult empty = RunQorvel(With(command, dir / "empty.txt", dir / "out.txt"));
    EXPECT_EQ(empty.status, 0) << empty.err;
    EXPECT_EQ(Slurp(dir / "out.txt"), command[0] == "layout" ? "\r\n" : "");
    const RunResult nul = RunQorvel(With(command, dir / "nul.txt", dir / "out.txt"));
    EXPECT_EQ(nul.status, 0) << nul.err;
    EXPECT_EQ(Slurp(dir / "out.txt"), command[0] == "layout" ? "\r\n" : "");
    if (command[0] == "convert") {
      EXPECT_NE(nul.err.find("offset 0"), std::string::npos) << nul.err;
    }
    EXPECT_EQ(RunQorvel(With(command, dir / "binary.bin", dir / "out.txt")).status, 0);
  }
}

}  // namespace
}  // namespace qorvel::testing
