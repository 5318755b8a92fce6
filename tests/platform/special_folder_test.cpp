#include "platform/special_folder.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/file_system.h"
#include "platform_fixture.h"

namespace larkbay {
namespace {

TEST(SpecialFolder, DesktopFromEnvironmentUserDirsOrHome) {
  test::TempDir dir;
  test::ScopedEnv env;
  const std::string home = dir.path() + "home";
  const std::string config = dir.path() + "config/";
  ASSERT_TRUE(EnsureDirectory(config));
  env.Set("HOME", home);
  env.Set("XDG_CONFIG_HOME", config);

  struct Case {
    const char* name;
    std::optional<std::string> desktopEnv;
    std::optional<std::string> userDirs;  // file contents; nullopt = no file
    std::string expected;
  } cases[] = {
      {"environment", "/srv/desk", "XDG_DESKTOP_DIR=\"$HOME/Nope\"\n", "/srv/desk/"},
      {"user-dirs with $HOME", std::nullopt,
       "# comment\nXDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\nXDG_DESKTOP_DIR=\"$HOME/桌面\"\n",
       home + "/桌面/"},
      {"user-dirs absolute", std::nullopt, "XDG_DESKTOP_DIR=\"/data/desk/\"\r\n", "/data/desk/"},
      {"user-dirs relative ignored", std::nullopt, "XDG_DESKTOP_DIR=\"desk\"\n",
       home + "/Desktop/"},
      {"no file", std::nullopt, std::nullopt, home + "/Desktop/"},
  };
  for (const Case& c : cases) {
    env.Set("XDG_DESKTOP_DIR", c.desktopEnv);
    std::filesystem::remove(config + "user-dirs.dirs");
    if (c.userDirs) std::ofstream(config + "user-dirs.dirs") << *c.userDirs;
    EXPECT_EQ(SpecialFolder(kDesktopFolder), c.expected) << c.name;
  }
  EXPECT_EQ(SpecialFolder(5), "");
  EXPECT_FALSE(IsDirectory(home + "/Desktop")) << "never created";
}

TEST(FileSystem, EnsureDirectoryCreatesParents) {
  test::TempDir dir;
  const std::string deep = dir.path() + "a/b/下载目录/";
  EXPECT_FALSE(IsDirectory(deep));
  EXPECT_TRUE(EnsureDirectory(deep));
  EXPECT_TRUE(IsDirectory(deep));
  EXPECT_TRUE(EnsureDirectory(deep)) << "already there";
  std::ofstream(dir.path() + "file") << "x";
  EXPECT_FALSE(IsDirectory(dir.path() + "file"));
  EXPECT_FALSE(EnsureDirectory(dir.path() + "file/sub"));
}

}  // namespace
}  // namespace larkbay
