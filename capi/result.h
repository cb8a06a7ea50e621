#pragma once
// How results cross the C boundary: a status for every exception, and
// buffers the library allocates and the caller frees with qorvel_free
// (std::free: a caller on another C runtime, as on Windows, must not free
// them itself).

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>

#include "capi/qorvel.h"

namespace qorvel::capi {

// Runs `body`, which returns a status, and turns what it throws into one.
template <class Body>
int Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return QORVEL_ERROR_NO_MEMORY;
  } catch (...) {
    return QORVEL_ERROR_INTERNAL;
  }
}

// A malloc'd buffer that grows as bytes are added and is handed to the
// caller with a NUL after its bytes.
class ResultBuffer {
 public:
  explicit ResultBuffer(std::size_t expected) { Grow(expected < kMinRoom ? kMinRoom : expected); }
  ~ResultBuffer() { std::free(data_); }
  ResultBuffer(const ResultBuffer&) = delete;
  ResultBuffer& operator=(const ResultBuffer&) = delete;

  // At least some room after the bytes, for Room and RoomSize.
  void MakeRoom() {
    if (capacity_ - size_ < kMinRoom) Grow(capacity_ * 2);
  }
  char* Room() { return data_ + size_; }
  std::size_t RoomSize() const { return capacity_ - size_; }
  // `n` bytes were written at Room().
  void Grew(std::size_t n) { size_ += n; }

  void Append(std::string_view bytes) {
    if (bytes.size() > capacity_ - size_) Grow(std::max(capacity_ * 2, size_ + bytes.size()));
    if (!bytes.empty()) std::memcpy(data_ + size_, bytes.data(), bytes.size());
    size_ += bytes.size();
  }

  // Hands the bytes over, NUL-terminated; the buffer is then empty.
  void Release(char** out, std::size_t* out_size) {
    Append(std::string_view("", 1));
    if (void* fitted = std::realloc(data_, size_)) data_ = static_cast<char*>(fitted);
    *out = data_;
    *out_size = size_ - 1;
    data_ = nullptr;
    size_ = capacity_ = 0;
  }

 private:
  static constexpr std::size_t kMinRoom = 4096;

  void Grow(std::size_t capacity) {
    if (capacity < size_ || capacity > static_cast<std::size_t>(-1) / 2) throw std::bad_alloc();
    void* grown = std::realloc(data_, capacity);
    if (!grown) throw std::bad_alloc();
    data_ = static_cast<char*>(grown);
    capacity_ = capacity;
  }

  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace qorvel::capi
