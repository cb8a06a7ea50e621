#include "cli/batch.h"

#ifdef _WIN32
#include <windows.h>

#include "fileio/win32_text.h"
#else
#include <sys/stat.h>
#endif

#include <algorithm>
#include <cerrno>
#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <new>
#include <thread>

#include "cli/console.h"
#include "fileio/convert_file.h"
#include "fileio/files.h"
#include "fileio/helper_thread.h"

namespace qorvel::cli {
namespace {

#ifdef _WIN32
constexpr const char* kSeparators = "/\\";
#else
constexpr const char* kSeparators = "/";
#endif

// Why `path` cannot take the outputs, or "" when it is a folder.
std::string NotAFolder(const std::string& path) {
#ifdef _WIN32
  const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return "no such folder";
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? "" : "not a folder";
#else
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return ErrnoText(errno);
  return S_ISDIR(st.st_mode) ? "" : "not a folder";
#endif
}

std::string InFolder(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (std::string(kSeparators).find(dir.back()) != std::string::npos) return dir + name;
  return dir + "/" + name;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// Lines from several workers must not interleave.
class Reporter {
 public:
  void Line(const std::string& text) {
    const std::lock_guard<std::mutex> lock(mutex_);
    WriteText(stderr, "qorvel: " + text + "\n");
  }

 private:
  std::mutex mutex_;
};

struct Job {
  std::string in, out;
  std::string refusal;  // set when the job must not run
};

// "[3/12] 'in.txt' -> 'out/in_qv.txt'". (Spelled out with appends: GCC 12
// for Windows sees a false overlap in the chain of + at -O3.)
std::string ProgressLine(std::size_t count, std::size_t total, const Job& job) {
  std::string line(1, '[');
  line.append(std::to_string(count)).append(1, '/').append(std::to_string(total)).append("] ");
  line.append(Quoted(job.in)).append(" -> ").append(Quoted(job.out));
  return line;
}

}  // namespace

std::string BatchOutputName(const std::string& input) {
  const std::size_t slash = input.find_last_of(kSeparators);
  std::string base = slash == std::string::npos ? input : input.substr(slash + 1);
  if (const std::size_t dot = base.rfind('.'); dot != std::string::npos && dot > 0) base.resize(dot);
  return base + "_qv.txt";
}

std::string InputName(const std::string& in) { return IsStdStream(in) ? std::string("standard input") : in; }

std::vector<std::string> LossReasons(const ConversionResult& result, const char* codeName, const char* verb) {
  std::vector<std::string> reasons;
  const Drops& d = result.dropped;
  if (d.count > 0) {
    std::string line = std::to_string(d.count) + (d.count == 1 ? " byte" : " bytes") + " dropped";
    if (codeName) line.append(" (the ").append(codeName).append(" code writes nothing for ").append(d.count == 1 ? "it)" : "them)");
    line += d.Kept() == 1 ? ", at offset " : ", first at offsets ";
    for (std::size_t k = 0; k < d.Kept(); ++k) line.append(k ? ", " : "").append(std::to_string(d.first[k]));
    reasons.push_back(std::move(line));
  }
  if (result.endedEarly) {
    std::string line = "the text ends at the NUL byte at offset ";
    line.append(std::to_string(result.consumed - 1)).append("; ");
    if (result.bytesAfter) {
      line.append(std::to_string(*result.bytesAfter)).append(*result.bytesAfter == 1 ? " byte" : " bytes");
      line.append(" after it ").append(*result.bytesAfter == 1 ? "was" : "were").append(" not ").append(verb);
    } else {
      line.append("what follows it was not read");
    }
    reasons.push_back(std::move(line));
  }
  return reasons;
}

int RunBatch(const Codec& codec, const std::string& dir, const std::vector<std::string>& inputs,
             const BatchOptions& options) {
  if (const std::string why = NotAFolder(dir); !why.empty())
    throw IoError(IoError::Kind::OpenOutput, "cannot write into " + Quoted(dir) + ": " + why);

  // Names are given out in the order of the command line, so which of two
  // clashing inputs fails does not depend on the number of workers.
  // An output must not replace a file that another job of the run reads
  // (a second run over a folder picks up the first run's outputs as
  // inputs): which bytes that job read would depend on the timing. An
  // output can only be an input of the same name, short of links.
  std::multimap<std::string, const std::string*> byName;  // an input's file name -> the input
  for (const std::string& in : inputs) byName.emplace(in.substr(in.find_last_of(kSeparators) + 1), &in);
  const auto readByTheRun = [&](const std::string& out) -> const std::string* {
    const auto [from, to] = byName.equal_range(out.substr(out.find_last_of(kSeparators) + 1));
    for (auto it = from; it != to; ++it)
      if (SameFile(out, *it->second)) return it->second;
    return nullptr;
  };
  std::vector<Job> plan;
  std::map<std::string, std::string> claimed;  // output name -> the input that has it
  for (const std::string& in : inputs) {
    Job job{in, InFolder(dir, BatchOutputName(in)), {}};
    const auto [it, fresh] = claimed.emplace(job.out, in);
    if (!fresh) {
      job.refusal = Quoted(in) + ": not converted: its output " + Quoted(job.out) + " is that of " +
                    Quoted(it->second);
    } else if (const std::string* reader = readByTheRun(job.out)) {
      job.refusal = Quoted(in) + ": not converted: its output " + Quoted(job.out) + " is the input " +
                    Quoted(*reader) + " of this run";
    }
    plan.push_back(std::move(job));
  }

  const std::size_t workers = std::min<std::size_t>({options.jobs == 0 ? 1 : options.jobs, kMaxJobs, plan.size()});
  // A job alone converts as a one-file run does, with its helper threads
  // beside it. Several keep theirs only while every thread has a core;
  // past that each job converts on its one thread, and the jobs keep the
  // cores busy and overlap one another's reading and writing. So -j 16 on
  // 4 cores is 16 threads (and 16 jobs' buffers), not 64, and the same
  // bytes. What is given up is each job's own overlap of its reading and
  // writing with its converting, which a few jobs of large files on a slow
  // disk miss somewhat; a simple bound was worth more than that.
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const Helpers helpers =
      workers == 1 || workers * (1 + kHelperThreads) <= cores ? Helpers::kStart : Helpers::kNone;

  Reporter report;
  std::atomic<std::size_t> next{0}, converted{0}, done{0}, lost{0};
  auto work = [&] {
    for (;;) {
      const std::size_t k = next.fetch_add(1);
      if (k >= plan.size()) return;
      const Job& job = plan[k];
      std::string failure = job.refusal;
      bool ok = false;
      // Nothing may escape a worker: it would end the process.
      try {
        if (failure.empty()) {
          try {
            auto converter = codec.make(options.convert);
            const ConversionResult result = ConvertFile(job.in, job.out, *converter, nullptr, options.onLoss, helpers);
            const std::vector<std::string> reasons = LossReasons(result, codec.name, "converted");
            if (!reasons.empty()) lost.fetch_add(1);
            if (!result.committed) {
              failure = Quoted(job.in) + ": not written (--strict)";
              for (std::size_t k = 0; k < reasons.size(); ++k) failure += (k == 0 ? ": " : "; ") + reasons[k];
            } else {
              if (options.lossLines)
                for (const std::string& reason : reasons) report.Line(InputName(job.in) + ": " + reason);
              ok = true;
            }
          } catch (const IoError& e) {
            failure = Quoted(job.in) + ": " + e.what();
          } catch (const std::bad_alloc&) {
            failure = Quoted(job.in) + ": out of memory";
          } catch (const std::exception& e) {
            failure = Quoted(job.in) + ": unexpected failure: " + e.what();
          }
        }
        const std::size_t count = done.fetch_add(1) + 1;
        if (!ok) {
          report.Line(failure);
        } else if (options.progressLines) {
          report.Line(ProgressLine(count, plan.size(), job));
        }
      } catch (...) {  // no memory left even for the message
      }
      if (ok) converted.fetch_add(1);
    }
  };
  // Fewer threads than asked for (the system may refuse some) still
  // convert every file; the pool joins them as it goes.
  std::vector<HelperThread> pool(workers > 1 ? workers - 1 : 0);
  for (HelperThread& thread : pool)
    if (!thread.Start(work)) break;
  work();
  pool.clear();

  const std::size_t failed = plan.size() - converted.load();
  std::string summary = std::to_string(converted.load()) + (converted.load() == 1 ? " file" : " files") +
                        " converted, " + std::to_string(failed) + " failed";
  if (lost.load() > 0) summary += ", " + std::to_string(lost.load()) + " with bytes not converted";
  report.Line(summary);
  return failed == 0 ? 0 : 1;
}

}  // namespace qorvel::cli
