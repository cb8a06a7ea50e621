#pragma once
// The one list of the codes the suite converts from. The command line, the
// tests, the fuzzers, the benchmarks and the web page all take it from here,
// so a new code is one converter file and one row of this list.

#include <memory>
#include <span>
#include <string_view>

#include "codec/stream_converter.h"

namespace qorvel {

enum class CodecKind {
  kFile,   // a whole file, as a converter program writes its output file
  kPaste,  // clipboard text, as a paste command appends it (ends at a NUL)
};

struct Codec {
  const char* name;
  const char* description;
  CodecKind kind;
  // A fresh converter under `options`; every code streams, the paste codes
  // through PasteStream (the clipboard text is the file, up to its first
  // NUL). Each code's header says what it drops and what the keep rule keeps.
  std::unique_ptr<StreamConverter> (*makeWith)(ConvertOptions options);

  std::unique_ptr<StreamConverter> make(ConvertOptions options = {}) const { return makeWith(options); }
};

std::span<const Codec> Codecs();
// The code called `name`, or null.
const Codec* FindCodec(std::string_view name);
// The code a program is built on: a desktop program converts with the row
// of this list called `name`, which must be there and be of `kind` (a file
// converter cannot stand in for a paste, which stops at the clipboard's NUL).
// Throws std::logic_error when the list and the program disagree.
const Codec& RequireCodec(std::string_view name, CodecKind kind);

}  // namespace qorvel
