#include "platform/worker_gate.h"

#include <utility>

namespace larkbay {
namespace {

thread_local WorkerGate* currentGate = nullptr;

// One call on its way: the worker waits for it to leave "waiting" or
// "running"; the interface thread moves it on.
struct PendingCall {
  enum class Stage { kWaiting, kRunning, kDone, kAbandoned };
  Stage stage = Stage::kWaiting;
};

}  // namespace

void WorkerGate::Close() {
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
  }
  changed_.notify_all();
}

bool WorkerGate::Closed() const {
  std::lock_guard lock(mutex_);
  return closed_;
}

bool WorkerGate::Call(const std::function<void(std::function<void()> task)>& post,
                      const std::function<void()>& work) {
  auto pending = std::make_shared<PendingCall>();
  {
    std::lock_guard lock(mutex_);
    if (closed_) return false;
  }
  // The task holds the gate and the call by shared ownership only: once the
  // call is abandoned it never touches `work`, which lives on the worker's
  // stack.
  post([self = shared_from_this(), pending, &work] {
    std::mutex& mutex = self->mutex_;
    {
      std::lock_guard lock(mutex);
      if (self->closed_ || pending->stage != PendingCall::Stage::kWaiting) {
        // The worker may not have woken from the close yet: it must see
        // the call dropped, or it waits for good.
        pending->stage = PendingCall::Stage::kAbandoned;
        self->changed_.notify_all();
        return;
      }
      pending->stage = PendingCall::Stage::kRunning;
    }
    work();
    {
      std::lock_guard lock(mutex);
      pending->stage = PendingCall::Stage::kDone;
    }
    self->changed_.notify_all();
  });
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] {
    return pending->stage == PendingCall::Stage::kDone ||
           pending->stage == PendingCall::Stage::kAbandoned ||
           (closed_ && pending->stage == PendingCall::Stage::kWaiting);
  });
  if (pending->stage == PendingCall::Stage::kDone) return true;
  pending->stage = PendingCall::Stage::kAbandoned;
  return false;
}

bool WorkerGate::Sleep(std::chrono::milliseconds wait) {
  std::unique_lock lock(mutex_);
  return !changed_.wait_for(lock, wait, [this] { return closed_; });
}

WorkerGate* WorkerGate::Current() { return currentGate; }

WorkerGate::Scope::Scope(std::shared_ptr<WorkerGate> gate)
    : gate_(std::move(gate)), previous_(currentGate) {
  currentGate = gate_.get();
}

WorkerGate::Scope::~Scope() { currentGate = previous_; }

}  // namespace larkbay
