// The updater's words: sizes, progress, steps and causes as the user reads them.

#include "messages.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

namespace larkbay::updater {
namespace {

TEST(UpdaterMessages, SizesReadAsBytesOrOneDecimalOfTheLargestUnit) {
  const std::vector<std::pair<std::uint64_t, std::string>> sizes = {
      {0, "0 字节"},
      {1023, "1023 字节"},
      {1024, "1.0 KB"},
      {1536, "1.5 KB"},
      {(std::uint64_t{1} << 20) - 1, "1.0 MB"},  // not "1024.0 KB"
      {3 << 20, "3.0 MB"},
      {30388766, "29.0 MB"},
      {std::uint64_t{5} << 30, "5.0 GB"},
      {std::uint64_t{3} << 50, "3072.0 TB"},
  };
  for (const auto& [bytes, text] : sizes) EXPECT_EQ(SizeText(bytes), text) << bytes;
}

TEST(UpdaterMessages, ProgressShowsTheShareOnlyOfAKnownLength) {
  EXPECT_EQ(ProgressLine(512, -1), "已下载 512 字节");
  EXPECT_EQ(ProgressLine(768 << 10, 3 << 20), "已下载 768.0 KB / 3.0 MB（25%）");
  EXPECT_EQ(ProgressLine(3 << 20, 3 << 20), "已下载 3.0 MB / 3.0 MB（100%）");
  EXPECT_EQ(ProgressLine(4 << 20, 3 << 20), "已下载 4.0 MB / 3.0 MB（100%）");
}

TEST(UpdaterMessages, StepsAreShortChineseLines) {
  struct Case {
    UpdateStep step;
    std::string detail;
    std::string heading;
    std::string path;
    std::string line;
  };
  const std::vector<Case> cases = {
      {UpdateStep::kDownload, "/root/Desktop/Enginepack", "正在下载…", "/root/Desktop/Enginepack",
       "正在下载：/root/Desktop/Enginepack"},
      {UpdateStep::kFolderMade, "/root/Desktop", "已创建文件夹", "/root/Desktop",
       "已创建文件夹：/root/Desktop"},
      {UpdateStep::kReceived, "3.0 MB", "下载完成，共 3.0 MB", "", "下载完成，共 3.0 MB"},
      {UpdateStep::kSigned, "https://example.net/lark-bay.sig", "签名有效",
       "https://example.net/lark-bay.sig", "签名有效：https://example.net/lark-bay.sig"},
      {UpdateStep::kEnded, "4321", "已关闭旧程序（进程 4321）", "", "已关闭旧程序（进程 4321）"},
      {UpdateStep::kNotEnded, "进程 7 已经退出", "进程 7 已经退出", "", "进程 7 已经退出"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const StepText text = DescribeStep(c.step, c.detail);
    EXPECT_EQ(text.heading, c.heading);
    EXPECT_EQ(text.path, c.path);
    EXPECT_EQ(StepLine(c.step, c.detail), c.line);
  }
}

TEST(UpdaterMessages, CausesAreChineseWithTheNumberOfAnUnusualOne) {
  EXPECT_EQ(CauseText(EACCES), "没有权限");
  EXPECT_EQ(CauseText(ENOSPC), "磁盘空间不足");
  EXPECT_EQ(CauseText(EROFS), "磁盘只能读不能写");
  EXPECT_TRUE(CauseText(EXDEV).starts_with("错误 " + std::to_string(EXDEV) + "（"))
      << CauseText(EXDEV);
}

}  // namespace
}  // namespace larkbay::updater
