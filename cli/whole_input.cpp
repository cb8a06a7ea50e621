#include "cli/whole_input.h"

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

namespace qorvel::cli {
namespace {

constexpr std::size_t kFirstCapacity = std::size_t{1} << 20;

// Every 4 KB page of fresh memory costs a page fault on its first touch, and
// in a virtual machine a second one when the program first reads what the
// kernel wrote there; 2 MB pages cut those 512-fold. A hint: where the
// system has none to give, the small pages do. The hint covers the whole
// pages the block touches, which for a block this large are the whole of
// its own mapping: a hint on part of a mapping would split it, and realloc
// could then no longer move it by remapping.
void PreferLargePages([[maybe_unused]] char* block, [[maybe_unused]] std::size_t n) {
#ifdef __linux__
  const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(block) / page * page;
  const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(block) + n + page - 1) / page * page;
  madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
}

}  // namespace

WholeInput::WholeInput(InputFile& input) {
  const auto known = input.Size();
  if (known && *known > SIZE_MAX / 2) throw std::bad_alloc();
  Reserve(known ? std::max<std::size_t>(static_cast<std::size_t>(*known), 1) : kFirstCapacity);
  for (;;) {
    if (size_ < capacity_) {
      const std::size_t got = input.Read(data_.get() + size_, capacity_ - size_);
      if (got == 0) return;
      size_ += got;
      continue;
    }
    // Full: a small read tells the end from more bytes (a pipe, or a file
    // that grew since its size was taken) before the buffer grows.
    char probe[4096];
    const std::size_t got = input.Read(probe, sizeof probe);
    if (got == 0) return;
    if (capacity_ > SIZE_MAX / 2) throw std::bad_alloc();
    Reserve(std::max(capacity_ * 2, kFirstCapacity));
    std::memcpy(data_.get() + size_, probe, got);
    size_ += got;
  }
}

void WholeInput::Reserve(std::size_t capacity) {
  // realloc moves a large block by remapping its pages, without copying
  // them or holding both blocks at once.
  char* const grown = static_cast<char*>(std::realloc(data_.get(), capacity));
  if (!grown) throw std::bad_alloc();
  (void)data_.release();
  data_.reset(grown);
  capacity_ = capacity;
  if (capacity_ >= kFirstCapacity) PreferLargePages(grown, capacity_);
}

}  // namespace qorvel::cli
