#include "net/cancel_token.h"

#include <utility>

namespace larkbay {

void CancelToken::Cancel() {
  cancelled_.store(true, std::memory_order_release);
  // Waking under the lock keeps a waiter from running after its watch ended.
  std::lock_guard lock(mutex_);
  for (auto& [id, wake] : waiters_) wake();
}

CancelToken::Watch::Watch(CancelToken* token, std::function<void()> wake) : token_(token) {
  if (token_ == nullptr) return;
  std::lock_guard lock(token_->mutex_);
  id_ = token_->nextId_++;
  token_->waiters_.emplace(id_, std::move(wake));
}

CancelToken::Watch::~Watch() {
  if (token_ == nullptr) return;
  std::lock_guard lock(token_->mutex_);
  token_->waiters_.erase(id_);
}

}  // namespace larkbay
