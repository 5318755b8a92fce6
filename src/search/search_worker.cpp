#include "search/search_worker.h"

#include <algorithm>
#include <utility>

namespace larkbay {

SearchWorker::~SearchWorker() {
  Stop();
  // Every job is stopped: its control calls return at once and its exchange
  // ends, so these joins are short even on the interface thread.
  for (Job& job : jobs_)
    if (job.thread.joinable()) job.thread.join();
}

void SearchWorker::Restart(Body body) {
  Stop();
  JoinFinished();
  Job job;
  job.gate = std::make_shared<WorkerGate>();
  job.cancel = std::make_shared<CancelToken>();
  job.done = std::make_shared<std::atomic<bool>>(false);
  job.thread = std::thread([gate = job.gate, cancel = job.cancel, done = job.done,
                            body = std::move(body)] {
    WorkerGate::Scope scope(gate);
    WorkerRun run{*cancel, *gate};
    body(run);
    done->store(true, std::memory_order_release);
  });
  jobs_.push_back(std::move(job));
}

void SearchWorker::Stop() {
  if (jobs_.empty()) return;
  Job& latest = jobs_.back();
  // The gate first: a body whose exchange the cancellation ends finds itself
  // stopped and shows nothing.
  latest.gate->Close();
  latest.cancel->Cancel();
}

bool SearchWorker::Running() const {
  return !jobs_.empty() && !jobs_.back().done->load(std::memory_order_acquire);
}

void SearchWorker::JoinFinished() {
  auto finished = [](Job& job) {
    if (!job.done->load(std::memory_order_acquire)) return false;
    job.thread.join();
    return true;
  };
  jobs_.erase(std::remove_if(jobs_.begin(), jobs_.end(), finished), jobs_.end());
}

}  // namespace larkbay
