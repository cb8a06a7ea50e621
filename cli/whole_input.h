#pragma once
// The whole of an input in one buffer, for the layout, which writes the end
// of the text first. The buffer is read into once and never copied: for a
// file of known size it is that size; a pipe's grows as it fills.

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "fileio/files.h"

namespace qorvel::cli {

class WholeInput {
 public:
  // Reads `input` to its end. Throws IoError, std::bad_alloc.
  explicit WholeInput(InputFile& input);

  std::string_view Bytes() const { return {data_.get(), size_}; }

 private:
  struct Free {
    void operator()(char* p) const { std::free(p); }
  };
  void Reserve(std::size_t capacity);

  std::unique_ptr<char, Free> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace qorvel::cli
