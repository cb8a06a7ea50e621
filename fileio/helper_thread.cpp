#include "fileio/helper_thread.h"

#include <utility>

namespace qorvel {
namespace {

// Ample for the converters' block buffers (16 KB at most), also with the
// sanitizers' larger frames; Windows gives every thread this much.
constexpr std::size_t kStack = 1 << 20;

extern "C" void* RunBody(void* body) {
  (*static_cast<std::function<void()>*>(body))();
  return nullptr;
}

}  // namespace

HelperThread::~HelperThread() { Join(); }

bool HelperThread::Start(std::function<void()> body) noexcept {
  Join();
  body_ = std::move(body);
  pthread_attr_t attr;
  if (pthread_attr_init(&attr) != 0) return false;
  pthread_attr_setstacksize(&attr, kStack);
  running_ = pthread_create(&id_, &attr, &RunBody, &body_) == 0;
  pthread_attr_destroy(&attr);
  return running_;
}

void HelperThread::Join() noexcept {
  if (running_) pthread_join(id_, nullptr);
  running_ = false;
}

}  // namespace qorvel
