#pragma once
// Lets one thread stop a transfer that another thread is running. The owner of
// the work keeps the token (usually in a std::shared_ptr, so a late Cancel()
// never touches a dead token) and passes it to the exchange; Cancel() makes the
// running exchange fail at once, and every later exchange given the token fails
// before it sends anything.

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>

namespace larkbay {

class CancelToken {
 public:
  CancelToken() = default;
  CancelToken(const CancelToken&) = delete;
  CancelToken& operator=(const CancelToken&) = delete;

  // Any thread; idempotent.
  void Cancel();
  bool Cancelled() const noexcept { return cancelled_.load(std::memory_order_acquire); }

  // A waiter to wake on Cancel() for as long as the watch lives. Once the
  // watch is destroyed the waiter is never called again.
  class Watch {
   public:
    Watch() = default;
    Watch(CancelToken* token, std::function<void()> wake);
    ~Watch();
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;

   private:
    CancelToken* token_ = nullptr;
    std::uint64_t id_ = 0;
  };

 private:
  std::atomic<bool> cancelled_{false};
  std::mutex mutex_;
  std::uint64_t nextId_ = 1;
  std::map<std::uint64_t, std::function<void()>> waiters_;
};

}  // namespace larkbay
