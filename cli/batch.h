#pragma once
// `qorvel convert -O DIR FILE...`: many inputs converted in parallel into one
// folder, under the names Orlenta offers.

#include <cstdint>
#include <string>
#include <vector>

#include "codec/registry.h"
#include "fileio/convert_file.h"
#include "fileio/interrupt.h"

namespace qorvel::cli {

// At most this many conversions run at once, each writing one temporary
// file: one more than the interrupt cleanup lists would be left behind on
// Ctrl+C.
constexpr unsigned kMaxJobs = kMaxInterruptibleTempFiles;

// "book.txt" -> "book_qv.txt", "notes" -> "notes_qv.txt": the input's own
// name, its folders and its last extension dropped ("a.tar.gz" keeps "a.tar";
// ".profile" is a name, not an extension).
std::string BatchOutputName(const std::string& input);

struct BatchOptions {
  unsigned jobs = 1;
  bool progressLines = false;  // a line per file done
  bool lossLines = true;       // a line per loss (see LossReasons)
  ConvertOptions convert;
  LossRule onLoss = LossRule::kWrite;  // kRefuse: a file that lost bytes fails
};

// Converts every input into `dir` with `jobs` workers, each file with its own
// converter. A failure is reported and the rest go on. Returns the exit
// status: 0 when every file was converted, 1 otherwise. Throws IoError only
// when `dir` is not a folder, before any file is touched.
int RunBatch(const Codec& codec, const std::string& dir, const std::vector<std::string>& inputs,
             const BatchOptions& options);

// What a conversion (or, with `codeName` null, the layout) of `in` lost, a
// reason a line: the bytes its code dropped, the text cut short at a NUL.
// Empty when nothing was lost. `verb` says what the bytes after a NUL were
// not: "converted", "laid out".
std::vector<std::string> LossReasons(const ConversionResult& result, const char* codeName, const char* verb);

// How an input is named in messages.
std::string InputName(const std::string& in);

}  // namespace qorvel::cli
