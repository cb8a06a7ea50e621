#pragma once
// `qorvel convert -O DIR FILE...`: many inputs converted in parallel into one
// folder, under the names Orlenta offers.

#include <cstdint>
#include <string>
#include <vector>

#include "codec/registry.h"
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

// Converts every input into `dir` with `jobs` workers, each file with its own
// converter. A failure is reported and the rest go on. Returns the exit
// status: 0 when every file was converted, 1 otherwise. Throws IoError only
// when `dir` is not a folder, before any file is touched.
int RunBatch(const Codec& codec, const std::string& dir, const std::vector<std::string>& inputs,
             unsigned jobs, bool progressLines);

// The note for a text that a NUL byte ended early.
std::string NulNote(const std::string& in, std::uint64_t offset);

}  // namespace qorvel::cli
