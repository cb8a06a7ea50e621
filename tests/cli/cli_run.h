#pragma once
// Runs the qorvel program for the command-line tests.

#include <fcntl.h>
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

}  // namespace qorvel::testing
