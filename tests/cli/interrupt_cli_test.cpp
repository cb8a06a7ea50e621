#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/temp_files.h"

namespace qorvel::testing {
namespace {

int FilesIn(const std::string& dir) {
  int n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++n;
  return n;
}

// A conversion into an existing output, stopped by a signal while it waits
// for more input from a pipe: the old output stays, no temporary file is
// left, and the exit status tells which signal it was.
TEST(CliInterrupt, SignalLeavesTheOldOutputAndNoTemporaryFile) {
  signal(SIGPIPE, SIG_IGN);  // a qorvel that dies early fails the test, not the test program
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(sig);
    TempDir dir;
    const std::string fifo = dir / "in.fifo", out = dir / "out.txt";
    Spit(out, "old output");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);

    const pid_t pid = fork();
    if (pid == 0) {
      const int null = open("/dev/null", O_RDWR);
      dup2(null, 0);
      dup2(null, 1);
      dup2(null, 2);
      execl(QORVEL_CLI_PATH, QORVEL_CLI_PATH, "convert", "--from", "hasi", "-o", out.c_str(), fifo.c_str(),
            static_cast<char*>(nullptr));
      _exit(127);
    }
    // Once a write larger than the pipe holds has gone through, qorvel has
    // opened its output and is converting; then it waits for more.
    const int writer = open(fifo.c_str(), O_WRONLY);
    ASSERT_GE(writer, 0);
    const std::string text(1 << 20, 'A');
    ASSERT_EQ(write(writer, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    EXPECT_EQ(FilesIn(dir.path()), 3);  // in.fifo, out.txt and the temporary file

    kill(pid, sig);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    close(writer);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + sig);
    EXPECT_EQ(Slurp(out), "old output");
    EXPECT_EQ(FilesIn(dir.path()), 2);
  }
}

}  // namespace
}  // namespace qorvel::testing
