#pragma once
// A Duktape heap with bounds: its allocations stay under a memory cap, and a
// script that runs past the time budget of the current call is interrupted.
// The engine polls the budget between bytecode instructions and inside its
// regular-expression matcher, and throws a RangeError that no script catch
// clause can hold on to, so the call unwinds to its caller; built-in functions
// that run long without bytecode (a join, a sort) are ended by having their
// allocations refused once the budget is spent.

#include <chrono>
#include <cstddef>
#include <memory>

struct duk_hthread;

namespace larkbay {

struct ScriptLimits {
  std::chrono::milliseconds timeBudget{2000};  // per ExecuteStatement / Run
  std::size_t memoryLimit = std::size_t{64} << 20;
};

class ScriptHeap {
 public:
  explicit ScriptHeap(ScriptLimits limits);
  ~ScriptHeap();
  ScriptHeap(const ScriptHeap&) = delete;
  ScriptHeap& operator=(const ScriptHeap&) = delete;

  // Null when the heap could not be created.
  duk_hthread* Context() const { return context_; }
  // Starts the time budget of one call into the engine.
  void StartCall();

  struct Budget;

 private:
  std::unique_ptr<Budget> budget_;
  duk_hthread* context_ = nullptr;
};

}  // namespace larkbay
