#include "remote/random_order.h"

#include <chrono>
#include <limits>
#include <unordered_map>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace larkbay {
namespace {

std::uint32_t Counter() {
#if defined(__x86_64__) || defined(__i386__)
  return static_cast<std::uint32_t>(__rdtsc());
#else
  return static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
#endif
}

std::int64_t Upper(std::int64_t high) {
  return high == 0 ? std::numeric_limits<std::int32_t>::max() : high;
}

// Draws that keep hitting taken numbers before the next free one is taken.
constexpr int kRedraws = 16;

}  // namespace

std::int64_t RandomInRange(std::int64_t low, std::int64_t high) {
  high = Upper(high);
  if (high < low) return low;
  const std::uint32_t c = Counter();
  const std::uint32_t mixed = ((c * 214013u + 2531011u) >> 16) & 0x7FFFu;
  const auto span = static_cast<std::uint64_t>(high - low) + 1;
  return low + static_cast<std::int64_t>(mixed % span);
}

std::vector<std::int64_t> DistinctRandomList(std::int64_t count, std::int64_t low,
                                             std::int64_t high) {
  high = Upper(high);
  std::vector<std::int64_t> result;
  if (count <= 0 || high < low) return result;
  const std::int64_t span = high - low + 1;
  if (count > span) count = span;
  result.reserve(static_cast<size_t>(count));
  // Taken numbers point towards the next one that may be free (the range
  // wraps), shortened on every walk, so finding a free number stays cheap.
  std::unordered_map<std::int64_t, std::int64_t> next;
  auto firstFree = [&](std::int64_t v) {
    std::vector<std::int64_t> walked;
    for (auto it = next.find(v); it != next.end(); it = next.find(v)) {
      walked.push_back(v);
      v = it->second;
    }
    for (const std::int64_t w : walked) next[w] = v;
    return v;
  };
  for (std::int64_t n = 0; n < count; ++n) {
    std::int64_t v = RandomInRange(low, high);
    for (int redraw = 0; redraw < kRedraws && next.contains(v); ++redraw)
      v = RandomInRange(low, high);
    // A draw covers at most 32768 numbers and a counter can repeat itself:
    // past the redraws the next free number in the range is taken, so the
    // list always ends.
    v = firstFree(v);
    next[v] = v == high ? low : v + 1;
    result.push_back(v);
  }
  return result;
}

}  // namespace larkbay
