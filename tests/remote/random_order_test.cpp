#include "remote/random_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <set>

namespace larkbay {
namespace {

bool IsOrderOf(std::vector<std::int64_t> values, std::int64_t low, std::int64_t high) {
  std::sort(values.begin(), values.end());
  std::vector<std::int64_t> range(static_cast<size_t>(high - low + 1));
  std::iota(range.begin(), range.end(), low);
  return values == range;
}

TEST(RandomOrder, DrawsStayInTheirRange) {
  for (int i = 0; i < 2000; ++i) {
    const std::int64_t v = RandomInRange(3, 7);
    ASSERT_GE(v, 3);
    ASSERT_LE(v, 7);
  }
  EXPECT_EQ(RandomInRange(4, 4), 4);
  EXPECT_GE(RandomInRange(1, 0), 1);  // high 0: up to the largest 32-bit number
}

TEST(RandomOrder, AWholeRangeInRandomOrder) {
  EXPECT_TRUE(IsOrderOf(DistinctRandomList(5, 1, 5), 1, 5));
  EXPECT_TRUE(IsOrderOf(DistinctRandomList(1, 1, 1), 1, 1));
  EXPECT_TRUE(DistinctRandomList(0, 1, 0).empty());
  // Orders differ between calls (twelve songs: 12! orders).
  std::set<std::vector<std::int64_t>> orders;
  for (int i = 0; i < 20; ++i) orders.insert(DistinctRandomList(12, 1, 12));
  EXPECT_GT(orders.size(), 1u);
}

TEST(RandomOrder, EndsForEveryRange) {
  // Wider than one draw reaches, and more numbers than the range holds.
  EXPECT_TRUE(IsOrderOf(DistinctRandomList(100000, 1, 100000), 1, 100000));
  EXPECT_TRUE(IsOrderOf(DistinctRandomList(9, 1, 3), 1, 3));
  const auto some = DistinctRandomList(50, 10, 1000);
  EXPECT_EQ(std::set<std::int64_t>(some.begin(), some.end()).size(), 50u);
}

}  // namespace
}  // namespace larkbay
