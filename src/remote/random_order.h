#pragma once
// Random numbers for the order of the recommended list: a fresh draw from the
// processor's time-stamp counter on every call, no stored seed.

#include <cstdint>
#include <vector>

namespace larkbay {

// A number from low to high (high 0 means the largest 32-bit signed integer).
std::int64_t RandomInRange(std::int64_t low, std::int64_t high);

// `count` different numbers from low to high, in random order; with count the
// size of the range, a random order of the whole range. Never more numbers
// than the range holds.
std::vector<std::int64_t> DistinctRandomList(std::int64_t count, std::int64_t low,
                                             std::int64_t high);

}  // namespace larkbay
