#pragma once
// The gate between a worker thread and the interface thread. A worker runs
// with its gate as the thread's current gate; once the gate is closed, every
// control call the worker makes, or has made and is still waiting for, is
// dropped: it is not carried out, and the worker does not wait for it. So a
// stopped worker leaves no trace, and the interface thread never waits for a
// worker that waits for it.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace larkbay {

// Always held by a shared_ptr: calls on their way keep their gate alive.
class WorkerGate : public std::enable_shared_from_this<WorkerGate> {
 public:
  // Any thread; idempotent. Wakes the worker from a control call it waits for
  // and from Sleep.
  void Close();
  bool Closed() const;

  // Runs `work` as the interface thread's part of a call from the worker:
  // `post` hands a task to the interface thread; the task carries out `work`
  // unless the gate has closed by then. Waits until the task has run or the
  // gate has closed. True when `work` ran.
  bool Call(const std::function<void(std::function<void()> task)>& post,
            const std::function<void()>& work);

  // Waits `wait`, or less when the gate closes. False when it closed.
  bool Sleep(std::chrono::milliseconds wait);

  // The gate of the calling thread; null on threads that are no worker's.
  static WorkerGate* Current();

  // Makes `gate` the calling thread's gate for as long as it lives.
  class Scope {
   public:
    explicit Scope(std::shared_ptr<WorkerGate> gate);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    std::shared_ptr<WorkerGate> gate_;
    WorkerGate* previous_;
  };

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool closed_ = false;
};

}  // namespace larkbay
