#include "fileio/convert_file.h"

#include <algorithm>
#include <vector>

namespace qorvel {
namespace {
constexpr std::size_t kChunk = 1 << 20;
}

ConversionResult RunConversion(InputFile& in, StreamConverter& conv, AtomicOutput& out,
                               ProgressSink* progress) {
  const std::uint64_t total = in.Size().value_or(0);
  std::vector<char> buf(kChunk);
  std::string converted;
  converted.reserve(2 * kChunk + 64);
  std::uint64_t read = 0;
  std::uint64_t lastReport = 0;
  bool more = true;
  if (progress) progress->OnProgress(0, total);
  while (more) {
    const std::size_t got = in.Read(buf.data(), buf.size());
    if (got == 0) break;
    // With a progress sink the converter takes the chunk in slices of
    // kProgressStep, so that progress moves at that step whatever the size
    // of the reads.
    std::string_view chunk(buf.data(), got);
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
    if (converted.size() >= kChunk) {
      out.Write(converted);
      converted.clear();
    }
  }
  conv.Finish(converted);
  out.Write(converted);
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
