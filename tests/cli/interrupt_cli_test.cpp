#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_files.h"

namespace qorvel::testing {
namespace {

int FilesIn(const std::string& dir) {
  int n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++n;
  return n;
}

// A conversion into an existing output, stopped by a signal while it waits
// for more input from pipes: the old output stays, no temporary file is
// left, and the exit status tells which signal it was. One file with -o,
// and three at once with -O, one of them over an old output.
TEST(CliInterrupt, SignalLeavesTheOldOutputAndNoTemporaryFile) {
  signal(SIGPIPE, SIG_IGN);  // a qorvel that dies early fails the test, not the test program
  for (const int inputs : {1, 3}) {
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
      SCOPED_TRACE(::testing::Message() << inputs << " inputs, signal " << sig);
      TempDir dir;
      std::filesystem::create_directory(dir / "out");
      const std::string old = dir / (inputs == 1 ? "out/out.txt" : "out/in0_qv.txt");
      Spit(old, "old output");
      std::vector<std::string> args = {QORVEL_CLI_PATH, "convert", "--from", "hasi"};
      if (inputs == 1)
        args.insert(args.end(), {"-o", old});
      else
        args.insert(args.end(), {"-j", "3", "-O", dir / "out"});
      std::vector<std::string> fifos;
      for (int i = 0; i < inputs; ++i) {
        fifos.push_back(dir / ("in" + std::to_string(i)));
        ASSERT_EQ(mkfifo(fifos.back().c_str(), 0600), 0);
        args.push_back(fifos.back());
      }

      const pid_t pid = fork();
      if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
      }
      // Once a write larger than a pipe holds has gone through, qorvel has
      // opened that output and is converting; then it waits for more.
      std::vector<int> writers;
      const std::string text(1 << 20, 'A');
      for (const std::string& fifo : fifos) {
        writers.push_back(open(fifo.c_str(), O_WRONLY));
        ASSERT_GE(writers.back(), 0);
        ASSERT_EQ(write(writers.back(), text.data(), text.size()), static_cast<ssize_t>(text.size()));
      }
      EXPECT_EQ(FilesIn(dir / "out"), 1 + inputs);  // the old output and a temporary file per input

      kill(pid, sig);
      int status = 0;
      ASSERT_EQ(waitpid(pid, &status, 0), pid);
      for (const int writer : writers) close(writer);
      ASSERT_TRUE(WIFEXITED(status));
      EXPECT_EQ(WEXITSTATUS(status), 128 + sig);
      EXPECT_EQ(Slurp(old), "old output");
      EXPECT_EQ(FilesIn(dir / "out"), 1);
    }
  }
}

}  // namespace
}  // namespace qorvel::testing
