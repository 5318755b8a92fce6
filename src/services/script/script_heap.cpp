#include "services/script/script_heap.h"

#include <duktape.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace larkbay {

struct ScriptHeap::Budget {
  std::chrono::steady_clock::duration timeBudget;
  std::size_t memoryLimit;
  std::size_t used = 0;
  // Read by the engine's interrupt check on the thread that runs the call.
  std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
};

namespace {

using Budget = ScriptHeap::Budget;

// Every block carries its size in front, so that frees can be accounted.
constexpr std::size_t kHeader = alignof(std::max_align_t);

std::size_t BlockSize(void* block) {
  std::size_t size;
  std::memcpy(&size, static_cast<char*>(block) - kHeader, sizeof size);
  return size;
}

bool Expired(const Budget& budget) { return std::chrono::steady_clock::now() >= budget.deadline; }

// Built-in functions (a join, a concatenation, a repeat) run without passing
// the bytecode interrupt but grow large blocks; refusing those once the budget
// is spent ends them. Small blocks stay allowed, so that the engine can still
// build its timeout error and unwind.
bool RefuseAfterDeadline(const Budget& budget, std::size_t size) {
  return size >= 4096 && Expired(budget);
}

void* Allocate(void* udata, duk_size_t size) {
  auto* budget = static_cast<Budget*>(udata);
  if (size == 0 || size > budget->memoryLimit - budget->used) return nullptr;
  if (RefuseAfterDeadline(*budget, size)) return nullptr;
  auto* raw = static_cast<char*>(std::malloc(size + kHeader));
  if (raw == nullptr) return nullptr;
  std::memcpy(raw, &size, sizeof size);
  budget->used += size;
  return raw + kHeader;
}

void Free(void* udata, void* block) {
  if (block == nullptr) return;
  auto* budget = static_cast<Budget*>(udata);
  budget->used -= BlockSize(block);
  std::free(static_cast<char*>(block) - kHeader);
}

void* Reallocate(void* udata, void* block, duk_size_t size) {
  if (block == nullptr) return Allocate(udata, size);
  if (size == 0) {
    Free(udata, block);
    return nullptr;
  }
  auto* budget = static_cast<Budget*>(udata);
  const std::size_t old = BlockSize(block);
  if (size > old && size - old > budget->memoryLimit - budget->used) return nullptr;
  if (size > old && RefuseAfterDeadline(*budget, size)) return nullptr;
  auto* raw = static_cast<char*>(std::realloc(static_cast<char*>(block) - kHeader, size + kHeader));
  if (raw == nullptr) return nullptr;
  std::memcpy(raw, &size, sizeof size);
  budget->used = budget->used - old + size;
  return raw + kHeader;
}

// Only reached when the engine fails outside a protected call, which the
// callers never do; the engine's state is then undefined.
void Fatal(void*, const char* message) {
  std::fprintf(stderr, "script engine: fatal error: %s\n", message ? message : "");
  std::abort();
}

}  // namespace

ScriptHeap::ScriptHeap(ScriptLimits limits)
    : budget_(std::make_unique<Budget>(Budget{limits.timeBudget, limits.memoryLimit})) {
  context_ = duk_create_heap(&Allocate, &Reallocate, &Free, budget_.get(), &Fatal);
}

ScriptHeap::~ScriptHeap() {
  if (context_ == nullptr) return;
  // Finalizers run while the heap is torn down; give them no time.
  budget_->deadline = std::chrono::steady_clock::now();
  duk_destroy_heap(context_);
}

void ScriptHeap::StartCall() {
  budget_->deadline = std::chrono::steady_clock::now() + budget_->timeBudget;
}

}  // namespace larkbay

// The engine's execution-timeout hook (compiled into our Duktape build),
// polled every few hundred thousand bytecode instructions.
extern "C" int larkbay_duk_exec_timeout_check(void* udata) {
  const auto* budget = static_cast<const larkbay::ScriptHeap::Budget*>(udata);
  return budget != nullptr && larkbay::Expired(*budget);
}
