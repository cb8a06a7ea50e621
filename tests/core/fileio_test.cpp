#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <stdexcept>
#include <thread>
#include <type_traits>

#include "support/temp_files.h"
#include "fileio/channel.h"
#include "fileio/convert_file.h"
#include "fileio/files.h"

namespace qorvel {
namespace {

using testing::Slurp;
using testing::Spit;
using testing::TempDir;

std::size_t FilesIn(const std::string& dir) {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++n;
  return n;
}

// Copies its input up to a NUL byte, upper-casing 'a'..'z', to show the
// driver's plumbing.
class UpperCase final : public StreamConverter {
 public:
  bool Feed(std::string_view chunk, std::string& out) override {
    for (char c : chunk) {
      ++consumed_;
      if (c == '\0') return false;
      out += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    }
    return true;
  }
  void Finish(std::string& out) override { out += "."; }
  std::uint64_t Consumed() const override { return consumed_; }
  const Drops& Dropped() const override { return drops_; }

 private:
  std::uint64_t consumed_ = 0;
  Drops drops_;  // drops nothing
};

// The same, taken by two converters at a time where the driver cuts a chunk.
class UpperCaseInTwo final : public StreamConverter {
 public:
  bool Feed(std::string_view chunk, std::string& out) override { return conv_.Feed(chunk, out); }
  void Finish(std::string& out) override { conv_.Finish(out); }
  std::uint64_t Consumed() const override { return conv_.Consumed() + adopted_; }
  const Drops& Dropped() const override { return conv_.Dropped(); }
  std::size_t FreshStart(std::string_view, std::size_t from) const override { return from; }
  std::unique_ptr<StreamConverter> Fresh() const override { return std::make_unique<UpperCaseInTwo>(); }
  void Adopt(StreamConverter& later) override { adopted_ += later.Consumed(); }

 private:
  UpperCase conv_;
  std::uint64_t adopted_ = 0;
};

class CountingProgress final : public ProgressSink {
 public:
  void OnProgress(std::uint64_t done, std::uint64_t total) override {
    EXPECT_GE(done, last);
    last = done;
    lastTotal = total;
    ++calls;
  }
  std::uint64_t last = 0, lastTotal = 0;
  int calls = 0;
};

TEST(AtomicOutput, ReplacesOnlyOnCommitAndLeavesNoTemporaryFile) {
  TempDir dir;
  const std::string target = dir / "out.txt";
  Spit(target, "old");
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  {
    AtomicOutput out(target);
    out.Write("new text");
    EXPECT_EQ(Slurp(target), "old");
  }  // dropped without Commit
  EXPECT_EQ(Slurp(target), "old");
  EXPECT_EQ(FilesIn(dir.path()), 1u);
  {
    AtomicOutput out(target);
    out.Write("new ");
    out.Write("text");
    out.Commit();
    EXPECT_EQ(out.Written(), 8u);
  }
  EXPECT_EQ(Slurp(target), "new text");
  EXPECT_EQ(FilesIn(dir.path()), 1u);
  struct stat st {};
  ASSERT_EQ(stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(AtomicOutput, RefusesMissingFoldersAndDirectories) {
  TempDir dir;
  try {
    AtomicOutput out(dir / "missing/out.txt");
    FAIL() << "no error for a missing folder";
  } catch (const IoError& e) {
    EXPECT_EQ(e.kind(), IoError::Kind::OpenOutput);
    EXPECT_NE(std::string(e.what()).find("missing/out.txt"), std::string::npos);
  }
  EXPECT_THROW(AtomicOutput out(dir.path()), IoError);
}

TEST(AtomicOutput, FullDiskIsAnErrorAndTheOldFileSurvives) {
  TempDir dir;
  const std::string mnt = dir / "tiny";
  std::filesystem::create_directory(mnt);
  if (mount("tmpfs", mnt.c_str(), "tmpfs", 0, "size=64k") != 0) GTEST_SKIP() << "cannot mount a tmpfs here";
  const std::string target = mnt + "/out.txt";
  Spit(target, "precious");
  bool failed = false;
  try {
    AtomicOutput out(target);
    const std::string block(16 * 1024, 'x');
    for (int i = 0; i < 16; ++i) out.Write(block);
    out.Commit();
  } catch (const IoError& e) {
    failed = true;
    EXPECT_EQ(e.kind(), IoError::Kind::WriteOutput);
    EXPECT_NE(std::string(e.what()).find("No space"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(failed);
  EXPECT_EQ(Slurp(target), "precious");
  EXPECT_EQ(FilesIn(mnt), 1u);
  umount(mnt.c_str());
}

TEST(InputFile, NamesTheFileAndTheReason) {
  TempDir dir;
  try {
    InputFile in(dir / "absent.txt");
    FAIL();
  } catch (const IoError& e) {
    EXPECT_EQ(e.kind(), IoError::Kind::OpenInput);
    EXPECT_NE(std::string(e.what()).find("absent.txt"), std::string::npos);
  }
  try {
    InputFile in(dir.path());
    FAIL();
  } catch (const IoError& e) {
    EXPECT_NE(std::string(e.what()).find("Is a directory"), std::string::npos);
  }
}

TEST(SameFile, SeesThroughSpellingsAndLinks) {
  TempDir dir;
  Spit(dir / "a.txt", "A");
  Spit(dir / "b.txt", "A");
  ASSERT_EQ(symlink((dir / "a.txt").c_str(), (dir / "sym.txt").c_str()), 0);
  ASSERT_EQ(link((dir / "a.txt").c_str(), (dir / "hard.txt").c_str()), 0);
  EXPECT_TRUE(SameFile(dir / "a.txt", dir / "./a.txt"));
  EXPECT_TRUE(SameFile(dir / "a.txt", dir.path() + "//../" +
                                          std::filesystem::path(dir.path()).filename().string() + "/a.txt"));
  EXPECT_TRUE(SameFile(dir / "a.txt", dir / "sym.txt"));
  EXPECT_TRUE(SameFile(dir / "a.txt", dir / "hard.txt"));
  EXPECT_FALSE(SameFile(dir / "a.txt", dir / "b.txt"));
  EXPECT_FALSE(SameFile(dir / "a.txt", dir / "new.txt"));
  EXPECT_FALSE(SameFile("-", "-"));
}

TEST(ConvertFile, RunsTheConverterAndReportsProgress) {
  TempDir dir;
  std::string input(3 << 20, 'a');
  input += "b";
  Spit(dir / "in.txt", input);
  UpperCase conv;
  CountingProgress progress;
  const ConversionResult r = ConvertFile(dir / "in.txt", dir / "out.txt", conv, &progress);
  std::string expected(3 << 20, 'A');
  expected += "B.";
  EXPECT_EQ(Slurp(dir / "out.txt"), expected);
  EXPECT_EQ(r.consumed, input.size());
  EXPECT_EQ(r.written, expected.size());
  EXPECT_FALSE(r.endedAtNul);
  EXPECT_EQ(progress.last, input.size());
  EXPECT_EQ(progress.lastTotal, input.size());
  // At most one report per 64 KiB, plus the first and the last.
  EXPECT_LE(progress.calls, static_cast<int>(input.size() / kProgressStep) + 2);
}

TEST(ConvertFile, StopsAtTheConvertersEnd) {
  TempDir dir;
  Spit(dir / "in.txt", std::string("ab\0cd", 5));
  UpperCase conv;
  const ConversionResult r = ConvertFile(dir / "in.txt", dir / "out.txt", conv, nullptr);
  EXPECT_EQ(Slurp(dir / "out.txt"), "AB.");
  EXPECT_TRUE(r.endedAtNul);
  EXPECT_EQ(r.consumed, 3u);
}

TEST(ConvertFile, RefusesTheInputAsOutputBeforeWriting) {
  TempDir dir;
  Spit(dir / "in.txt", "abc");
  UpperCase conv;
  try {
    ConvertFile(dir / "in.txt", dir / "./in.txt", conv, nullptr);
    FAIL();
  } catch (const IoError& e) {
    EXPECT_EQ(e.kind(), IoError::Kind::SameFile);
  }
  EXPECT_EQ(Slurp(dir / "in.txt"), "abc");
  EXPECT_EQ(FilesIn(dir.path()), 1u);
}

class Interrupted : public std::runtime_error {
 public:
  Interrupted() : std::runtime_error("interrupted") {}
};

// Throws from inside the run once `after` bytes are done.
class ThrowingProgress final : public ProgressSink {
 public:
  explicit ThrowingProgress(std::uint64_t after) : after_(after) {}
  void OnProgress(std::uint64_t done, std::uint64_t) override {
    if (done >= after_) throw Interrupted();
  }

 private:
  std::uint64_t after_;
};

// Also while a second thread converts the later part of a chunk: on inputs
// of 16 MB and more the driver cuts chunks even with a progress sink.
TEST(ConvertFile, AFailureMidRunStopsEveryThreadAndKeepsTheOldOutput) {
  TempDir dir;
  Spit(dir / "out.txt", "precious");
  for (const int mb : {9, 17}) {
    Spit(dir / "in.txt", std::string(static_cast<std::size_t>(mb) << 20, 'a'));
    for (std::uint64_t after : {std::uint64_t{1}, std::uint64_t{5} << 20}) {
      SCOPED_TRACE(std::to_string(mb) + " MB, failing after " + std::to_string(after));
      UpperCaseInTwo conv;
      ThrowingProgress progress(after);
      EXPECT_THROW(ConvertFile(dir / "in.txt", dir / "out.txt", conv, &progress), Interrupted);
      EXPECT_EQ(Slurp(dir / "out.txt"), "precious");
      EXPECT_EQ(FilesIn(dir.path()), 2u);
    }
  }
}

TEST(ConvertFile, APipeEndedByNulIsNotReadToItsEnd) {
  // The writer keeps the pipe open: the run must finish at the NUL without
  // waiting for more input.
  TempDir dir;
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  ASSERT_EQ(write(fds[1], "ab\0cd", 5), 5);
  auto run = std::async(std::launch::async, [&] {
    UpperCase conv;
    return ConvertFile("/proc/self/fd/" + std::to_string(fds[0]), dir / "out.txt", conv, nullptr);
  });
  const bool finished = run.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
  close(fds[1]);  // lets a hung run end, so that the test reports it
  const ConversionResult r = run.get();
  close(fds[0]);
  EXPECT_TRUE(finished);
  EXPECT_TRUE(r.endedAtNul);
  EXPECT_EQ(Slurp(dir / "out.txt"), "AB.");
}

TEST(Channel, DeliversWhatWasSentBeforeAFailureThenTheFailure) {
  Channel<int> channel;
  EXPECT_TRUE(channel.Push(1));
  EXPECT_TRUE(channel.Push(2));
  channel.Fail(std::make_exception_ptr(Interrupted()));
  EXPECT_FALSE(channel.Push(3));
  EXPECT_EQ(channel.Pop(), 1);
  EXPECT_EQ(channel.Pop(), 2);
  EXPECT_THROW(channel.Pop(), Interrupted);

  Channel<int> closed;
  EXPECT_TRUE(closed.Push(7));
  closed.Close();
  EXPECT_EQ(closed.Pop(), 7);
  EXPECT_EQ(closed.Pop(), std::nullopt);
}

TEST(Channel, HandsItemsAcrossThreadsInOrder) {
  Channel<int> channel;
  std::thread sender([&] {
    for (int k = 0; k < 10000; ++k) channel.Push(k);
    channel.Close();
  });
  int expected = 0;
  while (auto k = channel.Pop()) EXPECT_EQ(*k, expected++);
  sender.join();
  EXPECT_EQ(expected, 10000);
}

// Inputs over 4 GiB: every counter of the conversion path is 64-bit.
static_assert(std::is_same_v<decltype(std::declval<StreamConverter&>().Consumed()), std::uint64_t>);
static_assert(std::is_same_v<decltype(ConversionResult::consumed), std::uint64_t>);
static_assert(std::is_same_v<decltype(ConversionResult::written), std::uint64_t>);
static_assert(std::is_same_v<decltype(std::declval<AtomicOutput&>().Written()), std::uint64_t>);
static_assert(std::is_same_v<decltype(std::declval<InputFile&>().Size()), std::optional<std::uint64_t>>);

}  // namespace
}  // namespace qorvel
