#pragma once
// Runs a streaming converter from an input file to an atomic output file, in
// large chunks, with progress reports. Shared by the command line and the
// conversion dialogs.

#include <cstdint>
#include <string>

#include "fileio/files.h"
#include "fileio/progress.h"
#include "codec/stream_converter.h"

namespace qorvel {

struct ConversionResult {
  std::uint64_t consumed = 0;  // input bytes taken, an ending NUL included
  std::uint64_t written = 0;   // output bytes
  bool endedAtNul = false;     // a NUL byte ended the input at consumed - 1
};

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
// the conversion and commits the output. Throws IoError; on any failure an
// existing output file is left as it was.
ConversionResult ConvertFile(const std::string& inPath, const std::string& outPath,
                             StreamConverter& conv, ProgressSink* progress, Helpers helpers = Helpers::kStart);

// Throws IoError(SameFile) when `outPath` names the file `inPath`.
void RefuseSameFile(const std::string& inPath, const std::string& outPath);

}  // namespace qorvel
