#pragma once
// One search's worker: a thread of its own with a cancellation token and a
// gate to the interface thread. Restarting stops the running search and
// starts the next at once; the interface thread never waits for a worker.
//
// A stopped worker leaves no trace: its network exchange is cancelled, its
// waits end, and every control call it makes from then on is dropped (see
// WorkerGate). Its thread is joined later, by the next restart or at the end.

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "net/cancel_token.h"
#include "platform/worker_gate.h"

namespace larkbay {

// What a running search has: a token to hand to its exchanges and a gate
// whose Sleep is its wait.
struct WorkerRun {
  CancelToken& cancel;
  WorkerGate& gate;
  bool Stopped() const { return gate.Closed(); }
  // Waits, or less when stopped; false when stopped.
  bool Sleep(std::chrono::milliseconds wait) { return gate.Sleep(wait); }
};

class SearchWorker {
 public:
  using Body = std::function<void(WorkerRun&)>;

  SearchWorker() = default;
  // Stops the running search and joins every thread.
  ~SearchWorker();
  SearchWorker(const SearchWorker&) = delete;
  SearchWorker& operator=(const SearchWorker&) = delete;

  // Stops the running search and runs `body` on a new thread.
  void Restart(Body body);
  // Stops the running search; returns at once.
  void Stop();
  // True while the latest search's body has not returned.
  bool Running() const;

 private:
  struct Job {
    std::thread thread;
    std::shared_ptr<WorkerGate> gate;
    std::shared_ptr<CancelToken> cancel;
    std::shared_ptr<std::atomic<bool>> done;
  };
  void JoinFinished();

  std::vector<Job> jobs_;  // the latest last
};

}  // namespace larkbay
