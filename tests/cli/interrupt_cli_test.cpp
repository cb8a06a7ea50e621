#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_run.h"

namespace qorvel::testing {
namespace {

int FilesIn(const std::string& dir) {
  int n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++n;
  return n;
}

// A conversion into an existing output, stopped by a signal while it waits
// for more input from pipes: the old output stays, no temporary file is
// left, and the process dies by that signal (so a shell reports 128 + N).
// One file with -o, and three at once with -O, one of them over an old
// output.
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

      const pid_t pid = StartProgram(args, dir / "", false);
      std::vector<int> writers;
      for (const std::string& fifo : fifos) {
        writers.push_back(FeedFifo(fifo, std::string(1 << 20, 'A')));
        ASSERT_GE(writers.back(), 0);
      }
      EXPECT_EQ(FilesIn(dir / "out"), 1 + inputs);  // the old output and a temporary file per input

      kill(pid, sig);
      int status = 0;
      ASSERT_EQ(waitpid(pid, &status, 0), pid);
      for (const int writer : writers) close(writer);
      ASSERT_TRUE(WIFSIGNALED(status)) << "exited with " << WEXITSTATUS(status);
      EXPECT_EQ(WTERMSIG(status), sig);
      EXPECT_EQ(Slurp(old), "old output");
      EXPECT_EQ(FilesIn(dir / "out"), 1);
    }
  }
}

// A user's loop over files in a shell, stopped by Ctrl+C during the first
// run: the terminal sends SIGINT to the whole job, and the shell ends the
// loop only if qorvel died of it. No later run starts (the later inputs are
// plain files that would convert at once), no temporary file is left, and
// the shell itself ends by the signal.
TEST(CliInterrupt, CtrlCStopsAShellLoop) {
  TempDir dir;
  std::filesystem::create_directory(dir / "out");
  ASSERT_EQ(mkfifo((dir / "in0").c_str(), 0600), 0);
  Spit(dir / "in1", "AB");
  Spit(dir / "in2", "AB");
  const pid_t shell = StartProgram({"/bin/bash", "-c",
                             "for f in in0 in1 in2; do \"$0\" convert --from hasi -o out/$f.txt $f; done",
                             QORVEL_CLI_PATH},
                            dir / "", true);
  const int writer = FeedFifo(dir / "in0", std::string(1 << 20, 'A'));
  ASSERT_GE(writer, 0);
  EXPECT_EQ(FilesIn(dir / "out"), 1);  // the first run's temporary file

  kill(-shell, SIGINT);
  int status = 0;
  ASSERT_EQ(waitpid(shell, &status, 0), shell);
  close(writer);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT)
      << "the loop went on; the shell exited with " << WEXITSTATUS(status);
  EXPECT_EQ(FilesIn(dir / "out"), 0);  // neither a temporary file nor a later run's output
}

}  // namespace
}  // namespace qorvel::testing
