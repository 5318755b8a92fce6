#pragma once
// Lets one thread stop a transfer that another thread is running. The owner of
// the work keeps the token (usually in a std::shared_ptr, so a late Cancel()
// never touches a dead token) and passes it to the exchange; Cancel() makes the
// running exchange fail at once, and every later exchange given the token fails
// before it sends anything. A std::stop_source underneath: work that takes a
// std::stop_token gets it from Token().

#include <functional>
#include <optional>
#include <stop_token>

namespace larkbay {

class CancelToken {
 public:
  CancelToken() = default;
  CancelToken(const CancelToken&) = delete;
  CancelToken& operator=(const CancelToken&) = delete;

  // Any thread; idempotent.
  void Cancel() noexcept { source_.request_stop(); }
  bool Cancelled() const noexcept { return source_.stop_requested(); }
  std::stop_token Token() const noexcept { return source_.get_token(); }

  // A waiter to wake on Cancel() for as long as the watch lives (at once when
  // the token is cancelled already). Once the watch is destroyed the waiter is
  // never called again: the destructor waits for a call under way.
  class Watch {
   public:
    Watch() = default;
    Watch(CancelToken* token, std::function<void()> wake);
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;

   private:
    std::optional<std::stop_callback<std::function<void()>>> callback_;
  };

 private:
  std::stop_source source_;
};

}  // namespace larkbay
