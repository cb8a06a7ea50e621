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

// Starts `args` in `dir` with no terminal streams, as its own process group
// when `group` (a shell's job, which a terminal's Ctrl+C reaches as a
// whole), and with the three signals at their defaults whatever this test
// program inherited: a run started in the background by a shell without
// job control ignores SIGINT, which would hide what is tested here.
pid_t Start(std::vector<std::string> args, const std::string& dir, bool group) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (group) setpgid(0, 0);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) signal(sig, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
    if (chdir(dir.c_str()) != 0) _exit(127);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  if (group) setpgid(pid, pid);  // also here, so that it holds before any kill
  return pid;
}

// Opens `fifo` once its reader has, and writes more than a pipe holds: once
// that has gone through, the reader has opened its output and is
// converting; then it waits for more. The open writer, -1 on failure.
int Feed(const std::string& fifo) {
  const int writer = open(fifo.c_str(), O_WRONLY);
  const std::string text(1 << 20, 'A');
  if (writer >= 0 && write(writer, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
    close(writer);
    return -1;
  }
  return writer;
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

      const pid_t pid = Start(args, dir / "", false);
      std::vector<int> writers;
      for (const std::string& fifo : fifos) {
        writers.push_back(Feed(fifo));
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
  const pid_t shell = Start({"/bin/bash", "-c",
                             "for f in in0 in1 in2; do \"$0\" convert --from hasi -o out/$f.txt $f; done",
                             QORVEL_CLI_PATH},
                            dir / "", true);
  const int writer = Feed(dir / "in0");
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
