#include "downloads/download_starter.h"

#include <utility>

namespace larkbay {

DownloadStarter::DownloadStarter()
    : gate_(std::make_shared<WorkerGate>()), thread_([this] { Run(); }) {}

DownloadStarter::~DownloadStarter() {
  Stop();
  if (thread_.joinable()) thread_.join();
}

void DownloadStarter::Enqueue(Job job) {
  {
    std::lock_guard lock(mutex_);
    if (stopped_) return;
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
}

void DownloadStarter::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopped_ = true;
    jobs_.clear();
  }
  cancel_.Cancel();
  gate_->Close();
  wake_.notify_one();
}

bool DownloadStarter::Idle() const {
  std::lock_guard lock(mutex_);
  return jobs_.empty() && !running_;
}

void DownloadStarter::Run() {
  WorkerGate::Scope scope(gate_);
  while (true) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      running_ = false;
      wake_.wait(lock, [this] { return stopped_ || !jobs_.empty(); });
      if (stopped_) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
      running_ = true;
    }
    job(cancel_);
  }
}

}  // namespace larkbay
