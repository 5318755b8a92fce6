#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "platform/config_ini.h"
#include "platform_fixture.h"

namespace larkbay {
namespace {

namespace fs = std::filesystem;

// The umask of this process for the lifetime of the object.
class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : previous_(::umask(mask)) {}
  ~ScopedUmask() { ::umask(previous_); }
  ScopedUmask(const ScopedUmask&) = delete;
  ScopedUmask& operator=(const ScopedUmask&) = delete;

 private:
  mode_t previous_;
};

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 07777;
}

std::string Contents(const std::string& path) {
  std::string text;
  ReadWholeFile(path, text);
  return text;
}

TEST(FileSystem, NewFilesFollowTheUmaskAndReplacedFilesKeepTheirMode) {
  struct Case {
    const char* name;
    mode_t umask;
    FileKind kind;
    mode_t before;  // 0: no file before
    mode_t after;
  };
  const Case cases[] = {
      {"data, private umask", 077, FileKind::kData, 0, 0600},
      {"data, usual umask", 022, FileKind::kData, 0, 0644},
      {"data, group umask", 027, FileKind::kData, 0, 0640},
      {"data, open umask", 0, FileKind::kData, 0, 0666},
      {"program, private umask", 077, FileKind::kProgram, 0, 0700},
      {"program, usual umask", 022, FileKind::kProgram, 0, 0755},
      {"program, group umask", 027, FileKind::kProgram, 0, 0750},
      {"replaced data keeps its mode", 077, FileKind::kData, 0644, 0644},
      {"replaced data stays private", 0, FileKind::kData, 0600, 0600},
      {"replaced program keeps its mode", 077, FileKind::kProgram, 0750, 0750},
      {"replaced data file becomes runnable by its readers", 022, FileKind::kProgram, 0640, 0750},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    const std::string file = dir.path() + "file";
    if (c.before != 0) {
      std::ofstream(file) << "old";
      ASSERT_EQ(::chmod(file.c_str(), c.before), 0);
    }
    const ScopedUmask mask(c.umask);
    ASSERT_TRUE(WriteFileAtomically(file, "new", c.kind));
    EXPECT_EQ(Contents(file), "new");
    EXPECT_EQ(ModeOf(file), c.after) << std::oct << ModeOf(file);
    // Nothing but the file is left in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
  }
}

TEST(FileSystem, SettingsFileIsCreatedUnderTheUmask) {
  test::TempDir dir;
  const std::string ini = dir.path() + "Config.ini";
  const ScopedUmask mask(077);
  ASSERT_TRUE(WriteConfigValue(ini, "Program", "1234"));
  EXPECT_EQ(ModeOf(ini), 0600u) << std::oct << ModeOf(ini);
  // Rewritten with another umask: it keeps the mode it was made with.
  const ScopedUmask open(0);
  ASSERT_TRUE(WriteConfigValue(ini, "AutoPlay", "flase"));
  EXPECT_EQ(ModeOf(ini), 0600u) << std::oct << ModeOf(ini);
  EXPECT_EQ(ReadConfigValue(ini, "Program", ""), "1234");
}

TEST(FileSystem, FailedWriteLeavesTheTargetAndNoTemporaryFile) {
  test::TempDir dir;
  // A folder where the file should be: the rename cannot replace it.
  const std::string blocked = dir.path() + "blocked";
  fs::create_directories(blocked);
  EXPECT_FALSE(WriteFileAtomically(blocked, "new"));
  EXPECT_TRUE(IsDirectory(blocked));
  EXPECT_FALSE(WriteFileAtomically(dir.path() + "missing/file", "new"));
  EXPECT_FALSE(WriteFileAtomically(dir.path(), "new"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace larkbay
