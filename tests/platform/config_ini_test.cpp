#include "platform/config_ini.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/app_data_dir.h"
#include "platform/file_system.h"
#include "platform/special_folder.h"
#include "platform_fixture.h"

namespace larkbay {
namespace {

class ConfigIniTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env_.Set("APPDATA", dir_.path() + "appdata");
    env_.Set("XDG_DESKTOP_DIR", dir_.path() + "desk");
  }
  void WriteConfig(const std::string& text) { std::ofstream(ConfigIniPath()) << text; }
  std::string ConfigText() {
    std::string text;
    ReadWholeFile(ConfigIniPath(), text);
    return text;
  }

  test::TempDir dir_;
  test::ScopedEnv env_;
};

TEST_F(ConfigIniTest, AppDataDirFollowsTheEnvironmentAndIsCreated) {
  const std::string root = dir_.path();
  struct Case {
    std::optional<std::string> appData, xdgDataHome, home;
    std::string expected;
  } cases[] = {
      {root + "a", root + "x", root + "h", root + "a/Lark-Bay/"},
      {root + "a/", std::nullopt, root + "h", root + "a/Lark-Bay/"},
      {"", root + "x", root + "h", root + "x/Lark-Bay/"},
      {std::nullopt, std::nullopt, root + "h", root + "h/.local/share/Lark-Bay/"},
  };
  for (const Case& c : cases) {
    env_.Set("APPDATA", c.appData);
    env_.Set("XDG_DATA_HOME", c.xdgDataHome);
    env_.Set("HOME", c.home);
    EXPECT_EQ(AppDataDir(), c.expected);
    EXPECT_TRUE(IsDirectory(c.expected)) << c.expected;
  }
}

TEST_F(ConfigIniTest, AutoPlayReadsOnOnlyForTrue) {
  EXPECT_TRUE(ReadAutoPlay()) << "no Config.ini: default on";
  const std::pair<const char*, bool> values[] = {
      {"true", true},   {"TRUE", true},   {"tRuE", true},  {"\"true\"", true},
      {"flase", false}, {"false", false}, {"1", false},    {"", false},
      {"truee", false}, {"yes", false},   {"tr ue", false}};
  for (const auto& [value, on] : values) {
    WriteConfig(std::string("[Lark-Bay]\nAutoPlay=") + value + "\n");
    EXPECT_EQ(ReadAutoPlay(), on) << value;
  }
  WriteConfig("[Lark-Bay]\nProgram=1\n");
  EXPECT_TRUE(ReadAutoPlay()) << "missing key: default on";
}

TEST_F(ConfigIniTest, AutoPlayTogglesBetweenTrueAndFlase) {
  WriteConfig("[Lark-Bay]\r\nAutoPlay=TRUE\r\nProgram=12\r\n");
  ASSERT_TRUE(ReadAutoPlay());
  ASSERT_TRUE(WriteAutoPlay(false));
  EXPECT_EQ(ConfigText(), "[Lark-Bay]\r\nAutoPlay=flase\r\nProgram=12\r\n");
  EXPECT_FALSE(ReadAutoPlay());
  ASSERT_TRUE(WriteAutoPlay(true));
  EXPECT_EQ(ReadConfigValue("AutoPlay", ""), "true");
}

TEST_F(ConfigIniTest, ProgramIdParsesLikeAnIntegerConversion) {
  EXPECT_EQ(ReadProgramId(), 0u);
  const std::pair<const char*, std::uint32_t> values[] = {
      {"1234", 1234}, {"  77 ", 77},
      {"12abc", 12},  {"abc", 0},
      {"", 0},        {"-5", 0},
      {"+5", 0},      {"99999999999999", 0},
      {"0", 0},       {"4294967295", 4294967295u}};
  for (const auto& [value, id] : values) {
    WriteConfig(std::string("[Lark-Bay]\nProgram=") + value + "\n");
    EXPECT_EQ(ReadProgramId(), id) << value;
  }
  ASSERT_TRUE(WriteProgramId(4321));
  EXPECT_EQ(ReadConfigValue("Program", ""), "4321");
}

TEST_F(ConfigIniTest, SavePathIsTheStoredFolderOnlyWhileItExists) {
  const std::string desktopDefault = dir_.path() + "desk/下载目录/";
  EXPECT_EQ(ResolveSavePath(), desktopDefault);
  EXPECT_FALSE(IsDirectory(desktopDefault)) << "the default folder is not created here";

  const std::string chosen = dir_.path() + "音乐";
  ASSERT_TRUE(WriteDownloadsSavePath(chosen + "/"));
  EXPECT_EQ(ResolveSavePath(), desktopDefault) << "missing folder";
  EXPECT_EQ(ReadDownloadsSavePath(), chosen + "/") << "the key is left as it was";

  ASSERT_TRUE(EnsureDirectory(chosen));
  EXPECT_EQ(ResolveSavePath(), chosen + "/");
  ASSERT_TRUE(WriteDownloadsSavePath(chosen));
  EXPECT_EQ(ResolveSavePath(), chosen + "/") << "always with a trailing slash";
}

}  // namespace
}  // namespace larkbay
