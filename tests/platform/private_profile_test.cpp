#include "platform/private_profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "platform/file_system.h"
#include "platform_fixture.h"

namespace larkbay {
namespace {

std::string Slurp(const std::string& path) {
  std::string text;
  ReadWholeFile(path, text);
  return text;
}

class PrivateProfileTest : public ::testing::Test {
 protected:
  test::TempDir dir_;
  std::string file_ = dir_.path() + "Config.ini";
};

TEST_F(PrivateProfileTest, MissingFileReadsDefaultWithoutTrailingSpaces) {
  EXPECT_EQ(GetPrivateProfileString("Lark-Bay", "AutoPlay", "true", file_), "true");
  EXPECT_EQ(GetPrivateProfileString("Lark-Bay", "AutoPlay", " x  ", file_), " x");
  EXPECT_EQ(GetPrivateProfileString("Lark-Bay", "Program", "", file_), "");
  EXPECT_FALSE(std::filesystem::exists(file_));
}

TEST_F(PrivateProfileTest, WriteCreatesThenUpdatesKeepingTheRest) {
  ASSERT_TRUE(WritePrivateProfileString("Lark-Bay", "Program", "42", file_));
  EXPECT_EQ(Slurp(file_), "[Lark-Bay]\nProgram=42\n");

  { std::ofstream(file_, std::ios::app) << "; kept\n[Other]\nk=v\r\n"; }
  ASSERT_TRUE(WritePrivateProfileString("lark-bay", "PROGRAM", "43", file_));
  ASSERT_TRUE(WritePrivateProfileString("Lark-Bay", "AutoPlay", "flase", file_));
  EXPECT_EQ(Slurp(file_), "[Lark-Bay]\nProgram=43\nAutoPlay=flase\n; kept\n[Other]\nk=v\r\n");
  EXPECT_EQ(GetPrivateProfileString("LARK-BAY", "autoplay", "true", file_), "flase");
  EXPECT_EQ(GetPrivateProfileString("Other", "K", "", file_), "v");

  // Only the file itself is left in the folder: no temporary file stays behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST_F(PrivateProfileTest, ReplacingKeepsPermissionsAndFollowsLinks) {
  ASSERT_TRUE(WritePrivateProfileString("s", "k", "1", file_));
  ASSERT_EQ(::chmod(file_.c_str(), 0600), 0);
  const std::string link = dir_.path() + "link.ini";
  std::filesystem::create_symlink(file_, link);

  ASSERT_TRUE(WritePrivateProfileString("s", "k", "2", link));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(Slurp(file_), "[s]\nk=2\n");
  struct stat st {};
  ASSERT_EQ(::stat(file_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(PrivateProfileTest, FailedWritesLeaveTheFileAlone) {
  ASSERT_TRUE(WritePrivateProfileString("s", "k", "1", file_));
  EXPECT_FALSE(WritePrivateProfileString("s", "k", "two\nlines", file_));
  EXPECT_EQ(Slurp(file_), "[s]\nk=1\n");
  // The folder is not created for the file.
  EXPECT_FALSE(WritePrivateProfileString("s", "k", "1", dir_.path() + "missing/Config.ini"));
  // A folder in the file's place.
  std::filesystem::create_directory(dir_.path() + "dir.ini");
  EXPECT_FALSE(WritePrivateProfileString("s", "k", "1", dir_.path() + "dir.ini"));
  EXPECT_EQ(GetPrivateProfileString("s", "k", "d", dir_.path() + "dir.ini"), "d");
}

}  // namespace
}  // namespace larkbay
