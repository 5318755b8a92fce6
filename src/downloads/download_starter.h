#pragma once
// The size requests of starting downloads, off the interface thread: one
// thread works through them in the order they were asked for, so downloads
// start (and the browser numbers them) in the order the user chose them.
// Stopping cancels the running request at once; what was queued or still on
// its way to the interface thread is dropped (see WorkerGate).

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "net/cancel_token.h"
#include "platform/worker_gate.h"

namespace larkbay {

class DownloadStarter {
 public:
  // A job runs on the starter's thread; its control calls (and
  // RunOnInterfaceThread) go through the starter's gate.
  using Job = std::function<void(CancelToken& cancel)>;

  DownloadStarter();
  // Stops and joins.
  ~DownloadStarter();
  DownloadStarter(const DownloadStarter&) = delete;
  DownloadStarter& operator=(const DownloadStarter&) = delete;

  // Queues `job` behind the others; nothing after Stop.
  void Enqueue(Job job);
  // Cancels the running job and drops the queued ones; returns at once.
  void Stop();
  // True when no job is queued or running.
  bool Idle() const;

 private:
  void Run();

  std::shared_ptr<WorkerGate> gate_;
  CancelToken cancel_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job> jobs_;
  bool running_ = false;  // a job is being worked on
  bool stopped_ = false;
  std::thread thread_;
};

}  // namespace larkbay
