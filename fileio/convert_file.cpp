#include "fileio/convert_file.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <utility>

#include "fileio/channel.h"
#include "fileio/helper_thread.h"

namespace qorvel {
namespace {
constexpr std::size_t kChunk = 1 << 20;

// The kernel's copying runs beside the conversion: one thread reads ahead
// into a few input buffers, another writes the converted text behind. The
// buffers go round between the threads and are never reallocated once grown.
constexpr int kBuffers = 3;

struct InputBuffer {
  std::unique_ptr<char[]> bytes = std::make_unique_for_overwrite<char[]>(kChunk);
  std::size_t size = 0;
};

// Only a regular file is read ahead: a pipe or a terminal could keep the
// thread waiting for input after the text has ended at a NUL byte.
class ReadAhead {
 public:
  ReadAhead(InputFile& in, Helpers helpers) : in_(in) {
    for (int k = 0; k < kBuffers; ++k) empty_.Push(InputBuffer{});
    // Without a thread of its own the caller reads each chunk in turn.
    if (in.Size() && helpers == Helpers::kStart) thread_.Start([this] { Run(); });
  }
  ~ReadAhead() {
    empty_.Close();
    thread_.Join();
  }
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // The next chunk of input, empty at the end. Throws or rethrows a read
  // error.
  InputBuffer Next() {
    if (thread_.Running()) return full_.Pop().value_or(InputBuffer{nullptr, 0});
    InputBuffer buffer = empty_.Pop().value();
    buffer.size = in_.Read(buffer.bytes.get(), kChunk);
    return buffer;
  }
  // Gives a chunk's buffer back to be read into again.
  void Recycle(InputBuffer buffer) { empty_.Push(std::move(buffer)); }

 private:
  void Run() {
    try {
      while (auto buffer = empty_.Pop()) {
        buffer->size = in_.Read(buffer->bytes.get(), kChunk);
        const bool end = buffer->size == 0;
        full_.Push(std::move(*buffer));
        if (end) return;
      }
    } catch (...) {
      full_.Fail(std::current_exception());
    }
  }

  InputFile& in_;
  Channel<InputBuffer> empty_, full_;
  HelperThread thread_;
};

class WriteBehind {
 public:
  WriteBehind(AtomicOutput& out, Helpers helpers) : out_(out) {
    for (int k = 0; k < kBuffers; ++k) empty_.Push(std::string{});
    // Without a thread of its own the caller writes each block itself.
    if (helpers == Helpers::kStart) thread_.Start([this] { Run(); });
  }
  ~WriteBehind() {
    full_.Close();
    thread_.Join();
  }
  WriteBehind(const WriteBehind&) = delete;
  WriteBehind& operator=(const WriteBehind&) = delete;

  // Queues the bytes of `text` and gives back an empty buffer in its place,
  // waiting for one if need be. Rethrows a write error.
  void Hand(std::string& text) {
    if (!thread_.Running()) {
      out_.Write(text);
      text.clear();
      return;
    }
    std::string next = empty_.Pop().value();  // only a write error closes it
    full_.Push(std::exchange(text, std::move(next)));
  }
  // Waits until every queued byte is written. Rethrows a write error.
  void Drain() {
    if (!thread_.Running()) return;
    full_.Close();
    for (int k = 0; k < kBuffers; ++k) empty_.Pop().value();
  }

 private:
  void Run() {
    try {
      while (auto text = full_.Pop()) {
        out_.Write(*text);
        text->clear();
        empty_.Push(std::move(*text));
      }
    } catch (...) {
      empty_.Fail(std::current_exception());
      full_.Close();
    }
  }

  AtomicOutput& out_;
  Channel<std::string> full_, empty_;
  HelperThread thread_;
};

// The later part of a chunk, cut at a fresh start, is converted on a thread
// of its own by a fresh converter while the conversion's own converter takes
// the part before the cut: the converters are the slow step, and the machine
// has a second core. Worth it only for chunks of some size.
constexpr std::size_t kCutFrom = 64 * 1024;
// How far past the middle of a chunk a fresh start is looked for; text
// without one nearby is converted in one piece.
constexpr std::size_t kCutSearch = 64 * 1024;
// Progress is reported from this thread only, so a later part shows as one
// step when it is done: on inputs of this size and more that step passes in
// a few milliseconds, on smaller ones the bar would visibly jump, and the
// speed matters less than a bar that moves evenly.
constexpr std::uint64_t kCutWithProgressFrom = 16 << 20;

class LaterPart {
 public:
  struct Job {
    std::unique_ptr<StreamConverter> conv;
    std::string_view text;
    std::string out;
    bool more = true;
    std::exception_ptr error;
  };

  LaterPart() { thread_.Start([this] { Run(); }); }
  ~LaterPart() {
    jobs_.Close();
    thread_.Join();
  }
  LaterPart(const LaterPart&) = delete;
  LaterPart& operator=(const LaterPart&) = delete;

  // False when the thread could not be started: nothing is cut then.
  bool Running() const { return thread_.Running(); }
  // Starts converting `text` with `conv` into `out` (emptied first).
  void Start(std::unique_ptr<StreamConverter> conv, std::string_view text, std::string out) {
    out.clear();
    jobs_.Push(Job{std::move(conv), text, std::move(out), true, nullptr});
  }
  // Waits for the started job and drops it: the caller is failing, and the
  // job reads the caller's chunk, which must outlive it.
  void Abandon() noexcept {
    try {
      done_.Pop();
    } catch (...) {  // the job failed, or could not be handed back: dropped either way
    }
  }
  // The started job, done. Rethrows its failure.
  Job Wait() {
    Job job = done_.Pop().value();
    if (job.error) std::rethrow_exception(job.error);
    return job;
  }

 private:
  void Run() {
    try {
      while (auto job = jobs_.Pop()) {
        try {
          job->more = job->conv->Feed(job->text, job->out);
        } catch (...) {
          job->error = std::current_exception();
        }
        done_.Push(std::move(*job));
      }
    } catch (...) {  // no memory left to hand the job back: the waiter fails
      done_.Fail(std::current_exception());
    }
  }

  Channel<Job> jobs_, done_;
  HelperThread thread_;
};

// Where to cut `chunk` for a second converter, or npos.
std::size_t CutPoint(const StreamConverter& conv, std::string_view chunk) {
  if (chunk.size() < kCutFrom || std::memchr(chunk.data(), 0, chunk.size())) return std::string_view::npos;
  const std::size_t middle = chunk.size() / 2;
  const std::size_t at = conv.FreshStart(chunk.substr(0, middle + kCutSearch), middle);
  return at < chunk.size() ? at : std::string_view::npos;
}

}  // namespace

ConversionResult RunConversion(InputFile& in, StreamConverter& conv, AtomicOutput& out,
                               ProgressSink* progress, Helpers helpers) {
  const std::uint64_t total = in.Size().value_or(0);
  std::string converted;
  converted.reserve(2 * kChunk + 64);
  std::string laterOut;  // the later part's output, a buffer that goes round
  std::uint64_t read = 0;
  std::uint64_t lastReport = 0;
  bool more = true;
  WriteBehind writer(out, helpers);
  ReadAhead reader(in, helpers);
  std::unique_ptr<LaterPart> later;
  bool cutting = helpers == Helpers::kStart && (!progress || total >= kCutWithProgressFrom);
  std::uint64_t chunkAt = 0;  // the input offset of the chunk in hand
  bool endedEarly = false;
  if (progress) progress->OnProgress(0, total);
  const auto taken = [&](std::size_t n) {
    read += n;
    if (progress && read - lastReport >= kProgressStep) {
      progress->OnProgress(read, total);
      lastReport = read;
    }
  };
  // Feeds `part` in slices of kProgressStep when progress is reported, so
  // that progress moves at that step whatever the size of the reads.
  const auto feed = [&](std::string_view part) {
    while (more && !part.empty()) {
      const std::size_t n = progress ? std::min<std::size_t>(part.size(), kProgressStep) : part.size();
      more = conv.Feed(part.substr(0, n), converted);
      part.remove_prefix(n);
      taken(n);
    }
  };
  while (more) {
    InputBuffer buffer = reader.Next();
    if (buffer.size == 0) break;
    const std::string_view chunk(buffer.bytes.get(), buffer.size);
    const std::size_t cut = cutting ? CutPoint(conv, chunk) : std::string_view::npos;
    std::unique_ptr<StreamConverter> fresh = cut == std::string_view::npos ? nullptr : conv.Fresh();
    if (fresh && !later) {
      later = std::make_unique<LaterPart>();
      if (!later->Running()) {  // no second thread: every chunk in one piece
        cutting = false;
        fresh = nullptr;
      }
    }
    if (!fresh) {
      feed(chunk);
    } else {
      later->Start(std::move(fresh), chunk.substr(cut), std::move(laterOut));
      try {
        feed(chunk.substr(0, cut));
        conv.Finish(converted);
      } catch (...) {
        later->Abandon();
        throw;
      }
      LaterPart::Job job = later->Wait();
      conv.Adopt(*job.conv);
      more = job.more;
      taken(chunk.size() - cut);
      writer.Hand(converted);
      writer.Hand(job.out);
      laterOut = std::move(job.out);
    }
    if (!more) {
      // What follows the NUL that ended the text tells whether it ended
      // early; a regular file is read on while only NULs follow.
      endedEarly = EndsEarly(chunk.substr(static_cast<std::size_t>(conv.Consumed() - chunkAt)));
      while (!endedEarly && in.Size()) {
        reader.Recycle(std::move(buffer));
        buffer = reader.Next();
        if (buffer.size == 0) break;
        endedEarly = EndsEarly(std::string_view(buffer.bytes.get(), buffer.size));
      }
    }
    chunkAt += chunk.size();
    reader.Recycle(std::move(buffer));
    if (converted.size() >= kChunk) writer.Hand(converted);
  }
  conv.Finish(converted);
  writer.Hand(converted);
  writer.Drain();
  ConversionResult result;
  result.consumed = conv.Consumed();
  result.written = out.Written();
  result.endedAtNul = !more;
  result.endedEarly = endedEarly;
  if (result.endedAtNul && in.Size()) result.bytesAfter = *in.Size() - result.consumed;
  result.dropped = conv.Dropped();
  if (progress) progress->OnProgress(total ? total : read, total);
  return result;
}

void RefuseSameFile(const std::string& inPath, const std::string& outPath) {
  if (SameFile(inPath, outPath))
    throw IoError(IoError::Kind::SameFile, outPath, "it is the input file '" + inPath + "'");
}

ConversionResult ConvertFile(const std::string& inPath, const std::string& outPath,
                             StreamConverter& conv, ProgressSink* progress, LossRule rule, Helpers helpers) {
  RefuseSameFile(inPath, outPath);
  InputFile in(inPath);
  AtomicOutput out(outPath);
  ConversionResult result = RunConversion(in, conv, out, progress, helpers);
  if (rule == LossRule::kWrite || !result.Lost()) {
    out.Commit();
    result.committed = true;
  }
  return result;
}

}  // namespace qorvel
