#pragma once
// Appending to a byte string through a raw cursor, for the converters' inner
// loops: the string is grown ahead of the cursor and cut back to what was
// written when the writer is done. All members are inline. A function that
// is handed a writer by reference works on a local copy (ByteWriter(parent)),
// whose cursor the compiler can keep in registers, and hands it back at its
// end.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace qorvel {

namespace detail {
// Grows `s` for `need` more bytes behind `used` (plus `slack`), at least
// doubling what was written since `start`; returns the new cursor.
char* GrowForWriter(std::string& s, std::size_t used, std::size_t start, std::size_t need, std::size_t slack);
}  // namespace detail

class ByteWriter {
 public:
  // Room kept beyond the cursor: Put8 copies eight bytes, a short Run
  // sixteen.
  static constexpr std::size_t kSlack = 16;

  // Appends to `s`; `expect` is a guess at how much will be written.
  ByteWriter(std::string& s, std::size_t expect) : s_(s), start_(s.size()) {
    p_ = detail::GrowForWriter(s_, start_, start_, expect, kSlack);
    end_ = s_.data() + s_.size();
  }
  // A working copy of `parent`'s cursor for one function; the cursor goes
  // back to `parent` when the copy is destroyed.
  explicit ByteWriter(ByteWriter& parent)
      : s_(parent.s_), start_(parent.start_), parent_(&parent), p_(parent.p_), end_(parent.end_) {}
  ~ByteWriter() {
    if (parent_) {
      parent_->p_ = p_;
      parent_->end_ = end_;
    } else {
      Done();
    }
  }
  ByteWriter(const ByteWriter&) = delete;
  ByteWriter& operator=(const ByteWriter&) = delete;

  // Cuts the string back to what was written; the writer may go on after.
  // Not on a working copy.
  void Done() {
    const std::size_t used = static_cast<std::size_t>(p_ - s_.data());
    s_.resize(used);
    p_ = s_.data() + used;
    end_ = p_;
  }

  // Appends the first `size` of eight readable bytes at `src`.
  void Put8(const char* src, std::size_t size) {
    Room(0);
    std::memcpy(p_, src, 8);
    p_ += size;
  }
  void Byte(char c) {
    Room(1);
    *p_++ = c;
  }
  void Append(std::string_view bytes) { Run(bytes.data(), bytes.size(), bytes.data() + bytes.size()); }
  // Appends src[0, n); `end` bounds what may be read from src.
  void Run(const char* src, std::size_t n, const char* end) {
    Room(n);
    if (n <= kSlack && static_cast<std::size_t>(end - src) >= kSlack)
      std::memcpy(p_, src, kSlack);
    else
      std::memcpy(p_, src, n);
    p_ += n;
  }
  // Bytes written so far (by this writer and before it).
  std::size_t Size() const { return static_cast<std::size_t>(p_ - s_.data()); }

 private:
  void Room(std::size_t n) {
    if (static_cast<std::size_t>(end_ - p_) < n + kSlack) [[unlikely]] {
      p_ = detail::GrowForWriter(s_, Size(), start_, n, kSlack);
      end_ = s_.data() + s_.size();
    }
  }

  std::string& s_;
  const std::size_t start_;
  ByteWriter* parent_ = nullptr;
  char* p_;
  char* end_;
};

}  // namespace qorvel
