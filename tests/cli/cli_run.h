#pragma once
// Runs the qorvel program for the command-line tests.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_files.h"

namespace qorvel::testing {

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs qorvel with `args`, feeding `input` on standard input.
inline RunResult RunQorvel(const std::vector<std::string>& args, const std::string& input = "") {
  TempDir io;
  const std::string in = io / "stdin", out = io / "stdout", err = io / "stderr";
  Spit(in, input);
  const pid_t pid = fork();
  if (pid == 0) {
    const int fin = open(in.c_str(), O_RDONLY);
    const int fout = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int ferr = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(fin, 0);
    dup2(fout, 1);
    dup2(ferr, 2);
    std::vector<char*> argv;
    std::string prog = QORVEL_CLI_PATH;
    argv.push_back(prog.data());
    std::vector<std::string> copy = args;
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(prog.c_str(), argv.data());
    _exit(127);
  }
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  RunResult r;
  r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  r.out = Slurp(out);
  r.err = Slurp(err);
  return r;
}

// Starts `args` in `dir` with no terminal streams, as its own process group
// when `group` (a shell's job, which a terminal's Ctrl+C reaches as a
// whole), and with the three signals at their defaults whatever this test
// program inherited: a run started in the background by a shell without
// job control ignores SIGINT, which would spoil a test of signals.
inline pid_t StartProgram(std::vector<std::string> args, const std::string& dir, bool group) {
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

// Opens `fifo` once its reader has, and writes `text`, more than a pipe
// holds: once that has gone through, the reader has opened its output and
// is converting; then it waits for more. The open writer, -1 on failure.
inline int FeedFifo(const std::string& fifo, const std::string& text) {
  const int writer = open(fifo.c_str(), O_WRONLY);
  if (writer >= 0 && write(writer, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
    close(writer);
    return -1;
  }
  return writer;
}

}  // namespace qorvel::testing
