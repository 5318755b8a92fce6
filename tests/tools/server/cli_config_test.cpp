// lark-bay-cli config fetch and the start-up pieces it exposes, run as a
// program against the running server.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "cli_run.h"
#include "demo_server_fixture.h"

namespace larkbay::test {
namespace {

// Standard error joins standard output: the steps' boxes become lines there.
CliRun CliWithErrors(const std::string& base, const std::string& arguments,
                     const std::string& input = {}) {
  return Cli(base, arguments, input, true);
}

using CliConfigTest = DemoServerTest;

TEST_F(CliConfigTest, FetchLeavesBothCachesAndAStampedSecondFetch) {
  TempFolder appdata;
  const std::string dir = appdata.Path().string();
  CliRun run = CliWithErrors(Base(), "config fetch --appdata '" + dir + "'");
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out, "服务器->初始化\t√\n推荐歌单->初始化\t√\n");
  const std::string config = ReadFile(appdata.Path() / "data/program_Config");
  const CliRun stamp = CliWithErrors(Base(), "cache stamp", config);
  EXPECT_EQ(stamp.out.size(), 11u) << stamp.out;
  EXPECT_GT(std::filesystem::file_size(appdata.Path() / "data/muisclist_Config"), 42u);

  // Again: the server has nothing new, the copy stays as it was.
  run = CliWithErrors(Base(), "config fetch --appdata '" + dir + "'");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(ReadFile(appdata.Path() / "data/program_Config"), config);
}

TEST_F(CliConfigTest, UnreachableServerIsOneLineAndStatusOne) {
  TempFolder appdata;
  const CliRun run = CliWithErrors("http://127.0.0.1:9",
                                   "config fetch --appdata '" + appdata.Path().string() + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "lark-bay-cli: 失联！！！ 无法与Lark-Bay服务器进行通讯,请检测网络连接状态。\n");
  EXPECT_FALSE(std::filesystem::exists(appdata.Path() / "data/program_Config"));
}

TEST_F(CliConfigTest, StartUpPieces) {
  EXPECT_EQ(
      CliWithErrors(Base(), "combo-values", R"([{"key":"A","value":"a"},{"key":"B","value":"b"}])")
          .out,
      "a|b|\n");
  const CliRun order = CliWithErrors(Base(), "random-order 9");
  ASSERT_EQ(order.status, 0);
  std::istringstream numbers(order.out);
  std::multiset<int> seen{std::istream_iterator<int>(numbers), std::istream_iterator<int>()};
  EXPECT_EQ(seen, (std::multiset<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  for (const char* bad : {"random-order", "random-order x", "random-order -1", "config fetch"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(CliWithErrors(Base(), bad).status, 1);
  }
  // The chooser's page is GB18030: 甲 is BC D7.
  const CliRun page = CliWithErrors(Base(), "site-table", R"([{"key":"甲","value":"a"}])");
  EXPECT_NE(page.out.find("<td><a href=\"1\">\xBC\xD7</a></td></tr></table>"), std::string::npos);
}

}  // namespace
}  // namespace larkbay::test
