// A search worker stops at once and leaves no trace: its control calls, its
// wait and a control call the interface thread would have to serve.
#include "search/search_worker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/memory_controls.h"

namespace larkbay {
namespace {

using namespace std::chrono_literals;

size_t CountOf(const std::vector<std::string>& calls, const std::string& prefix) {
  return static_cast<size_t>(std::count_if(calls.begin(), calls.end(), [&](const std::string& c) {
    return c.starts_with(prefix);
  }));
}

TEST(SearchWorker, RestartStopsTheRunningSearchWhoseLaterCallsAreDropped) {
  MemoryControls controls;
  controls.Add("label");
  SearchWorker worker;
  std::atomic<int> firstWrites{0};
  worker.Restart([&](WorkerRun& run) {
    while (!run.Stopped()) {
      controls.SetText("label", "first");
      ++firstWrites;
    }
    // Whatever a stopped search still tries is not carried out.
    controls.SetText("label", "first, stopped");
  });
  while (firstWrites < 10) std::this_thread::yield();
  worker.Restart([&](WorkerRun&) { controls.SetText("label", "second"); });
  while (worker.Running()) std::this_thread::yield();
  std::this_thread::sleep_for(50ms);  // for a late call of the first search
  EXPECT_EQ(controls.GetText("label"), "second");
  EXPECT_EQ(CountOf(controls.Calls(), "SetText label first, stopped"), 0u);
}

TEST(SearchWorker, StopEndsTheWaitAndCancelsTheExchange) {
  SearchWorker worker;
  std::atomic<bool> slept{true};
  std::atomic<CancelToken*> token{nullptr};
  const auto start = std::chrono::steady_clock::now();
  worker.Restart([&](WorkerRun& run) {
    token = &run.cancel;
    slept = run.Sleep(10s);
  });
  while (!token) std::this_thread::yield();
  worker.Stop();
  // Stop has returned: the exchange's token is cancelled, whatever the body
  // is doing now; the token lives as long as the worker keeps the job.
  EXPECT_TRUE(token.load()->Cancelled());
  while (worker.Running()) std::this_thread::yield();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_FALSE(slept);
}

// The interface thread as a queue of tasks that runs only when this test
// says so: a call the worker makes waits until the queue runs, as a control
// call waits for the interface thread.
struct InterfaceThread {
  std::mutex mutex;
  std::deque<std::function<void()>> tasks;
  void Post(std::function<void()> task) {
    std::lock_guard lock(mutex);
    tasks.push_back(std::move(task));
  }
  void RunAll() {
    std::deque<std::function<void()>> now;
    {
      std::lock_guard lock(mutex);
      now.swap(tasks);
    }
    for (auto& task : now) task();
  }
  size_t Waiting() {
    std::lock_guard lock(mutex);
    return tasks.size();
  }
};

// A worker blocked in a control call that only the interface thread can
// serve, and an interface thread that stops it and joins it: without the gate
// neither ever finishes.
TEST(SearchWorker, StoppingAWorkerBlockedInAControlCallNeverDeadlocks) {
  InterfaceThread ui;
  std::atomic<int> carriedOut{0};
  auto worker = std::make_unique<SearchWorker>();
  worker->Restart([&](WorkerRun& run) {
    while (!run.Stopped()) {
      WorkerGate::Current()->Call([&](std::function<void()> task) { ui.Post(std::move(task)); },
                                  [&] { ++carriedOut; });
    }
  });
  // Serve a few calls, then leave the next one waiting.
  for (int served = 0; served < 3;) {
    if (ui.Waiting() > 0) {
      ui.RunAll();
      ++served;
    }
  }
  while (ui.Waiting() == 0) std::this_thread::yield();
  const int before = carriedOut;
  worker->Stop();
  worker.reset();  // joins: the blocked call has been let go
  ui.RunAll();     // the call that was waiting runs nothing now
  EXPECT_EQ(carriedOut, before);
}

// After a stop the interface thread may reach a waiting call before the
// worker has woken from the stop: it drops the call, and the worker's wait
// must end all the same (it waited for good, and the interface thread that
// joined it with it).
TEST(SearchWorker, ACallDroppedBeforeTheStoppedWorkerWokeStillEndsItsWait) {
  auto gate = std::make_shared<WorkerGate>();
  auto answer = std::make_shared<std::promise<bool>>();
  std::future<bool> answered = answer->get_future();
  std::thread worker([gate, answer] {
    // The stop, and the interface thread's turn, before the worker waits.
    const bool ran = gate->Call(
        [gate](std::function<void()> task) {
          gate->Close();
          task();
        },
        [] {});
    answer->set_value(ran);
  });
  const bool ended = answered.wait_for(10s) == std::future_status::ready;
  EXPECT_TRUE(ended) << "the worker still waits for a call that was dropped";
  if (!ended) {
    worker.detach();  // it holds only what it shares
    return;
  }
  worker.join();
  EXPECT_FALSE(answered.get());
}

}  // namespace
}  // namespace larkbay
