#pragma once
// Runs a streaming converter from an input file to an atomic output file, in
// large chunks, with progress reports. Shared by the command line and the
// conversion dialogs.

#include <cstdint>
#include <optional>
#include <string>

#include "fileio/files.h"
#include "fileio/progress.h"
#include "codec/stream_converter.h"

namespace qorvel {

struct ConversionResult {
  std::uint64_t consumed = 0;  // input bytes taken, an ending NUL included
  std::uint64_t written = 0;   // output bytes
  bool endedAtNul = false;     // a NUL byte ended the input at consumed - 1
  // ...with bytes other than NULs after it (see EndsEarly). A regular file
  // is read on past the NUL while only NULs follow; a pipe is not read
  // further than the chunk that held the NUL.
  bool endedEarly = false;
  std::optional<std::uint64_t> bytesAfter;  // after the NUL, in a regular file
  Drops dropped;
  bool committed = false;      // the output was written (see LossRule)

  // Something of the input did not make it into the output.
  bool Lost() const { return dropped.count > 0 || endedEarly; }
};

// Whether a conversion that lost bytes still writes its output file.
enum class LossRule { kWrite, kRefuse };
// The threads a conversion may start beside its caller's: one reading
// ahead, one writing behind, one converting the later part of each chunk.
// A caller running many conversions at once asks for none (kNone), when
// those would outnumber the cores: the conversions themselves keep the
// cores busy then, and the bytes are the same either way.
constexpr unsigned kHelperThreads = 3;
enum class Helpers { kStart, kNone };

// Feeds all of `in` through `conv` into `out` (not committed). Progress is
// reported in bytes of input against the input's size (0 when unknown): at
// the start, after every kProgressStep bytes fed, and at the end.
ConversionResult RunConversion(InputFile& in, StreamConverter& conv, AtomicOutput& out,
                               ProgressSink* progress, Helpers helpers = Helpers::kStart);

// The whole job: refuses an output that is the input file, opens both, runs
// the conversion and commits the output (under LossRule::kRefuse only when
// nothing was lost). Throws IoError; on any failure, and on a refusal, an
// existing output file is left as it was.
ConversionResult ConvertFile(const std::string& inPath, const std::string& outPath,
                             StreamConverter& conv, ProgressSink* progress, LossRule rule = LossRule::kWrite,
                             Helpers helpers = Helpers::kStart);

// Throws IoError(SameFile) when `outPath` names the file `inPath`.
void RefuseSameFile(const std::string& inPath, const std::string& outPath);

}  // namespace qorvel
