#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <thread>

#include "cli/cli_run.h"

namespace qorvel::testing {
namespace {

using namespace std::string_literals;

std::set<std::string> Names(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) names.insert(entry.path().filename().string());
  return names;
}

// A folder of files with bad ones among them, converted with one worker and
// with four: the good ones come out as one-file runs give them, each bad one
// is named with its reason, and nothing else is left in the output folder.
TEST(CliBatch, GoesOnPastFailuresAndWritesWhatOneFileRunsWrite) {
  TempDir dir;
  std::filesystem::create_directories(dir / "src/sub");
  Spit(dir / "src/a.txt", "\xF8\xA2 AB\r\n\xA1\xA3 xy");
  Spit(dir / "src/b.md", "\xA4\xA5\xD0\xD9\0tail"s);
  Spit(dir / "src/notes", "plain `~ text\xFA\xFB");
  Spit(dir / "src/sub/a.txt", "clashes with a.txt");
  Spit(dir / "src/h.txt", "linked");
  const std::vector<std::string> inputs = {dir / "src/a.txt", dir / "src/b.md",   dir / "src/missing.txt",
                                           dir / "src/sub",   dir / "src/notes",  dir / "src/sub/a.txt",
                                           dir / "src/h.txt"};
  std::string outputs[2];
  for (const char* jobs : {"1", "4"}) {
    SCOPED_TRACE(jobs);
    const std::string out = dir / ("out"s + jobs);
    std::filesystem::create_directory(out);
    // h.txt's output name is a second name of h.txt itself.
    ASSERT_EQ(link((dir / "src/h.txt").c_str(), (out + "/h_qv.txt").c_str()), 0);
    std::vector<std::string> args = {"convert", "--from", "mengkeli", "-j", jobs, "-O", out};
    args.insert(args.end(), inputs.begin(), inputs.end());
    const RunResult run = RunQorvel(args);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("qorvel: 3 files converted, 4 failed"), std::string::npos) << run.err;
    for (const char* bad : {"missing.txt': cannot open", "sub': cannot open", "is that of", "it is the input file"})
      EXPECT_NE(run.err.find(bad), std::string::npos) << bad << "\n" << run.err;
    EXPECT_NE(run.err.find("b.md: the text ends at the NUL byte at offset 4; 4 bytes after it were not converted"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(Names(out), (std::set<std::string>{"a_qv.txt", "b_qv.txt", "notes_qv.txt", "h_qv.txt"}));
    EXPECT_EQ(Slurp(dir / "src/h.txt"), "linked");
    for (const char* name : {"a.txt", "b.md", "notes"}) {
      const std::string base = std::filesystem::path(name).stem().string();
      ASSERT_EQ(RunQorvel({"convert", "--from", "mengkeli", "-o", dir / "one", dir / "src/" + name}).status, 0);
      EXPECT_EQ(Slurp(out + "/" + base + "_qv.txt"), Slurp(dir / "one")) << name;
      outputs[jobs[0] == '4'] += Slurp(out + "/" + base + "_qv.txt") + "|";
    }
  }
  EXPECT_EQ(outputs[0], outputs[1]);

  // A second run over the folder with the first run's output among its
  // inputs: that output is read, not replaced.
  {
    const std::string out = dir / "out4";
    const std::string before = Slurp(out + "/a_qv.txt");
    const RunResult run = RunQorvel({"convert", "--from", "mengkeli", "-j", "4", "-O", out, dir / "src/a.txt",
                                     out + "/a_qv.txt"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("is the input '" + out + "/a_qv.txt' of this run"), std::string::npos) << run.err;
    EXPECT_EQ(Slurp(out + "/a_qv.txt"), before);
    EXPECT_TRUE(std::filesystem::exists(out + "/a_qv_qv.txt"));
  }

  // Wrong uses stop before any file is written.
  const std::string out = dir / "out1";
  EXPECT_EQ(RunQorvel({"convert", "--from", "hasi", "-O", out, "-o", dir / "x", dir / "src/notes"}).status, 2);
  EXPECT_EQ(RunQorvel({"convert", "--from", "hasi", "-O", out}).status, 2);
  EXPECT_EQ(RunQorvel({"convert", "--from", "hasi", "-j", "2", dir / "src/notes"}).status, 2);
  for (const std::string& notDir : {dir / "nowhere", dir / "src/notes"}) {
    const RunResult run = RunQorvel({"convert", "--from", "hasi", "-O", notDir, dir / "src/notes"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("'" + notDir + "'"), std::string::npos) << run.err;
  }
  EXPECT_EQ(Names(out).size(), 4u);
}

// Sixteen files at once, read from pipes so that every job is caught
// converting: the jobs run, but their helper threads are not multiplied
// past the cores (-j 16 on two cores is not 64 threads), and each output is
// what a one-file run, helpers and all, writes.
TEST(CliBatch, ManyJobsDoNotMultiplyThreads) {
  constexpr int kJobs = 16;
  TempDir dir;
  std::filesystem::create_directory(dir / "out");
  std::string text;
  while (text.size() < (1 << 20)) text += "\xF8\xA2 AB\r\n\xA1\xA3 xy`~\xFA\xFB ";
  std::vector<std::string> args = {QORVEL_CLI_PATH, "convert", "--from", "mengkeli", "-j", "16", "-O", dir / "out"};
  for (int i = 0; i < kJobs; ++i) {
    args.push_back(dir / ("in" + std::to_string(i)));
    ASSERT_EQ(mkfifo(args.back().c_str(), 0600), 0);
  }
  const pid_t pid = StartProgram(args, dir / "", false);
  std::vector<int> writers;
  for (int i = 0; i < kJobs; ++i) {
    writers.push_back(FeedFifo(dir / ("in" + std::to_string(i)), text));
    ASSERT_GE(writers.back(), 0);
  }
  int threads = 0;
  for ([[maybe_unused]] const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task"))
    ++threads;
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  EXPECT_LE(threads, std::max(kJobs, cores));
  EXPECT_GE(threads, kJobs);  // every job at work
  for (const int writer : writers) close(writer);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  Spit(dir / "in.txt", text);
  ASSERT_EQ(RunQorvel({"convert", "--from", "mengkeli", "-o", dir / "one", dir / "in.txt"}).status, 0);
  const std::string one = Slurp(dir / "one");
  for (int i = 0; i < kJobs; ++i) EXPECT_EQ(Slurp(dir / ("out/in" + std::to_string(i) + "_qv.txt")), one) << i;
}

}  // namespace
}  // namespace qorvel::testing
