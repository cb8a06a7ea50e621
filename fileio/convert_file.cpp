#include "fileio/convert_file.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <thread>
#include <utility>

#include "fileio/channel.h"

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
  explicit ReadAhead(InputFile& in) : in_(in) {
    for (int k = 0; k < kBuffers; ++k) empty_.Push(InputBuffer{});
    if (in.Size()) thread_ = std::thread([this] { Run(); });
  }
  ~ReadAhead() {
    empty_.Close();
    if (thread_.joinable()) thread_.join();
  }
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // The next chunk of input, empty at the end. Throws or rethrows a read
  // error.
  InputBuffer Next() {
    if (thread_.joinable()) return full_.Pop().value_or(InputBuffer{nullptr, 0});
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
  std::thread thread_;
};

class WriteBehind {
 public:
  explicit WriteBehind(AtomicOutput& out) {
    for (int k = 0; k < kBuffers - 1; ++k) empty_.Push(std::string{});
    thread_ = std::thread([this, &out] { Run(out); });
  }
  ~WriteBehind() {
    full_.Close();
    thread_.join();
  }
  WriteBehind(const WriteBehind&) = delete;
  WriteBehind& operator=(const WriteBehind&) = delete;

  // Queues the bytes of `text` and gives back an empty buffer in its place,
  // waiting for one if need be. Rethrows a write error.
  void Hand(std::string& text) {
    std::string next = empty_.Pop().value();  // only a write error closes it
    full_.Push(std::exchange(text, std::move(next)));
  }
  // Waits until every queued byte is written. Rethrows a write error.
  void Drain() {
    full_.Close();
    for (int k = 0; k < kBuffers - 1; ++k) empty_.Pop().value();
  }

 private:
  void Run(AtomicOutput& out) {
    try {
      while (auto text = full_.Pop()) {
        out.Write(*text);
        text->clear();
        empty_.Push(std::move(*text));
      }
    } catch (...) {
      empty_.Fail(std::current_exception());
      full_.Close();
    }
  }

  Channel<std::string> full_, empty_;
  std::thread thread_;
};

}  // namespace

ConversionResult RunConversion(InputFile& in, StreamConverter& conv, AtomicOutput& out,
                               ProgressSink* progress) {
  const std::uint64_t total = in.Size().value_or(0);
  std::string converted;
  converted.reserve(2 * kChunk + 64);
  std::uint64_t read = 0;
  std::uint64_t lastReport = 0;
  bool more = true;
  WriteBehind writer(out);
  ReadAhead reader(in);
  if (progress) progress->OnProgress(0, total);
  while (more) {
    InputBuffer buffer = reader.Next();
    if (buffer.size == 0) break;
    // With a progress sink the converter takes the chunk in slices of
    // kProgressStep, so that progress moves at that step whatever the size
    // of the reads.
    std::string_view chunk(buffer.bytes.get(), buffer.size);
    while (more && !chunk.empty()) {
      const std::size_t n = progress ? std::min<std::size_t>(chunk.size(), kProgressStep) : chunk.size();
      more = conv.Feed(chunk.substr(0, n), converted);
      chunk.remove_prefix(n);
      read += n;
      if (progress && read - lastReport >= kProgressStep) {
        progress->OnProgress(read, total);
        lastReport = read;
      }
    }
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
  if (progress) progress->OnProgress(total ? total : read, total);
  return result;
}

void RefuseSameFile(const std::string& inPath, const std::string& outPath) {
  if (SameFile(inPath, outPath))
    throw IoError(IoError::Kind::SameFile,
                  "cannot write '" + outPath + "': it is the input file '" + inPath + "'");
}

ConversionResult ConvertFile(const std::string& inPath, const std::string& outPath,
                             StreamConverter& conv, ProgressSink* progress) {
  RefuseSameFile(inPath, outPath);
  InputFile in(inPath);
  AtomicOutput out(outPath);
  ConversionResult result = RunConversion(in, conv, out, progress);
  out.Commit();
  return result;
}

}  // namespace qorvel
