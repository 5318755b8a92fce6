#include "platform/single_instance.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/app_data_dir.h"
#include "platform/config_ini.h"
#include "platform/file_system.h"
#include "platform/processes.h"
#include "platform_fixture.h"

namespace larkbay {
namespace {

using test::Child;

class SingleInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env_.Set("APPDATA", dir_.path());
    env_.Set("XDG_DESKTOP_DIR", dir_.path() + "desk");
    hooks_.prompt = [this](const std::string& text, const std::string& title) {
      prompts_.push_back(title + "|" + text);
      return answer_;
    };
    hooks_.endThisCopy = [this] { ++endCalls_; };
  }

  void StoreProgram(pid_t id) { ASSERT_TRUE(WriteProgramId(static_cast<ProcessId>(id))); }

  // Runs the check; the save path it settles on.
  std::string Check() {
    std::string savePath = "unset";
    EXPECT_TRUE(CheckSingleInstance(hooks_, savePath));
    return savePath;
  }

  test::TempDir dir_;
  test::ScopedEnv env_;
  SingleInstanceHooks hooks_;
  PromptAnswer answer_ = PromptAnswer::Ok;
  std::vector<std::string> prompts_;
  int endCalls_ = 0;
};

TEST_F(SingleInstanceTest, FirstStartRecordsIdAndPreparesFolders) {
  EXPECT_EQ(Check(), dir_.path() + "desk/下载目录/");
  EXPECT_TRUE(prompts_.empty());
  EXPECT_EQ(ReadProgramId(), CurrentProcessId());
  EXPECT_TRUE(IsDirectory(AppDataDir() + "data/"));
  EXPECT_FALSE(IsDirectory(dir_.path() + "desk/下载目录/"));

  const std::string chosen = dir_.path() + "chosen/";
  ASSERT_TRUE(EnsureDirectory(chosen));
  ASSERT_TRUE(WriteDownloadsSavePath(chosen));
  EXPECT_EQ(Check(), chosen);
}

TEST_F(SingleInstanceTest, StoredIdThatIsNoOtherCopyRaisesNoPrompt) {
  Child ended = Child::Spawn({"true"});
  ASSERT_GT(ended.pid(), 0);
  const pid_t endedId = ended.pid();
  ended.Wait();
  Child unrelated = Child::Spawn({"sleep", "30"});
  ASSERT_GT(unrelated.pid(), 0);

  const std::pair<const char*, pid_t> stored[] = {
      {"ended process", endedId},
      {"unrelated running program", unrelated.pid()},
      {"this process", static_cast<pid_t>(CurrentProcessId())},
  };
  for (const auto& [name, id] : stored) {
    StoreProgram(id);
    Check();
    EXPECT_TRUE(prompts_.empty()) << name;
    EXPECT_EQ(endCalls_, 0) << name;
    EXPECT_EQ(ReadProgramId(), CurrentProcessId()) << name;
  }
  EXPECT_TRUE(unrelated.Alive()) << "an unrelated program is never ended";
}

TEST_F(SingleInstanceTest, OkEndsTheOlderCopyAndGoesOn) {
  Child older = Child::ForkWaiting();
  ASSERT_GT(older.pid(), 0);
  StoreProgram(older.pid());
  answer_ = PromptAnswer::Ok;

  EXPECT_EQ(Check(), dir_.path() + "desk/下载目录/");
  const std::string name = std::filesystem::path(OwnExecutablePath()).filename().string();
  ASSERT_EQ(prompts_.size(), 1u);
  EXPECT_EQ(prompts_[0], "重复运行！！！|" + name + "\r\n是否启动？点击[确定]将继续启动");
  const int status = older.Wait();
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  EXPECT_EQ(endCalls_, 0);
  EXPECT_EQ(ReadProgramId(), CurrentProcessId());
  EXPECT_TRUE(IsDirectory(AppDataDir() + "data/"));
}

TEST_F(SingleInstanceTest, CancelEndsThisCopyAndKeepsTheStoredId) {
  Child older = Child::ForkWaiting();
  ASSERT_GT(older.pid(), 0);
  StoreProgram(older.pid());
  answer_ = PromptAnswer::Cancel;

  EXPECT_EQ(Check(), dir_.path() + "desk/下载目录/");
  EXPECT_EQ(prompts_.size(), 1u);
  EXPECT_EQ(endCalls_, 1);
  EXPECT_TRUE(older.Alive());
  EXPECT_EQ(ReadProgramId(), static_cast<ProcessId>(older.pid()));

  // No prompt handler at all counts as Cancel.
  hooks_.prompt = nullptr;
  Check();
  EXPECT_EQ(endCalls_, 2);
  EXPECT_TRUE(older.Alive());
}

}  // namespace
}  // namespace larkbay
