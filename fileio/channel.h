#pragma once
// A queue that hands items from one thread to another. Either side may close
// it; the sending side may instead fail it with an exception, which the
// receiving side rethrows once the items sent before it are taken.

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <utility>

namespace qorvel {

template <class T>
class Channel {
 public:
  // Returns false, dropping `item`, when the channel is closed.
  bool Push(T item) {
    {
      std::lock_guard lock(mutex_);
      if (closed_) return false;
      items_.push_back(std::move(item));
    }
    ready_.notify_one();
    return true;
  }

  // Waits for the next item; nullopt once the channel is closed and empty.
  // Rethrows the sender's failure in the place of the items after it.
  std::optional<T> Pop() {
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [this] { return !items_.empty() || closed_; });
    if (items_.empty()) {
      if (error_) std::rethrow_exception(error_);
      return std::nullopt;
    }
    T item = std::move(items_.front());
    items_.pop_front();
    return item;
  }

  void Close() {
    {
      std::lock_guard lock(mutex_);
      closed_ = true;
    }
    ready_.notify_all();
  }

  void Fail(std::exception_ptr error) {
    {
      std::lock_guard lock(mutex_);
      error_ = std::move(error);
      closed_ = true;
    }
    ready_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<T> items_;
  bool closed_ = false;
  std::exception_ptr error_;
};

}  // namespace qorvel
