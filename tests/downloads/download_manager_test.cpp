// The download manager on in-memory controls with a scripted browser: the
// task table, the list's rows and texts, the final names on a real folder,
// the menus by state, the task commands and the failures.
#include "downloads/download_manager.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "downloads/download_list.h"
#include "downloads/download_names.h"
#include "downloads/save_folder.h"
#include "platform/config_ini.h"
#include "platform/control_names.h"
#include "platform/desktop_actions.h"
#include "platform/memory_controls.h"
#include "player/download_item.h"
#include "player/page_host.h"
#include "state/program_state.h"

namespace larkbay {
namespace {

using namespace names;
namespace fs = std::filesystem;

// A browser's download as the events show it; the answers are recorded.
struct FakeItem : DownloadItem {
  int id = 1;
  bool inProgress = true, complete = false, canceled = false;
  std::int64_t total = 1 << 20, received = 0;
  int reason = 0, cuts = 0;
  std::string continuedTo;
  std::vector<std::string> answers;

  int Id() const override { return id; }
  bool IsInProgress() const override { return inProgress; }
  bool IsComplete() const override { return complete; }
  bool IsCanceled() const override { return canceled; }
  int PercentComplete() const override {
    return total > 0 ? static_cast<int>(received * 100 / total) : -1;
  }
  std::int64_t TotalBytes() const override { return total; }
  std::int64_t ReceivedBytes() const override { return received; }
  int InterruptReason() const override { return reason; }
  int Resumptions() const override { return cuts; }
  void Continue(std::string_view path) override { continuedTo = path; }
  void Pause() override { answers.push_back("pause"); }
  void Resume() override { answers.push_back("resume"); }
  void Cancel() override { answers.push_back("cancel"); }
};

struct FakeHost : PageHost {
  std::vector<std::string> started;
  std::vector<int> nudged;
  bool works = true;
  bool LoadPage(std::string_view) override { return true; }
  bool RunScript(std::string_view) override { return true; }
  bool StartDownload(std::string_view url) override {
    if (works) started.emplace_back(url);
    return works;
  }
  bool NudgeDownload(int id) override {
    nudged.push_back(id);
    return true;
  }
};

struct FakeDesktop : DesktopActions {
  std::vector<std::string> shown, opened;
  std::string pick;
  std::string pickedFrom;
  bool ShowInFolder(const std::string& path) override {
    shown.push_back(path);
    return true;
  }
  bool OpenFolder(const std::string& folder) override {
    opened.push_back(folder);
    return true;
  }
  std::string PickFolder(std::string_view, std::string_view title,
                         const std::string& start) override {
    pickedFrom = std::string(title) + "@" + start;
    return pick;
  }
};

class DownloadManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/larkbay-dl-XXXXXX";
    root_ = ::mkdtemp(pattern);
    folder_ = root_ + "/下载目录/";
    fs::create_directories(folder_);
    ::setenv("APPDATA", root_.c_str(), 1);
    state_.appState.PlayerEngine = "cef";
    state_.appState.SavePath = folder_;
    MemoryControls::Control list;
    list.columns.resize(6);
    controls_.Add(kDownloadList, list);
    controls_.Add(kSavePathBox);
    controls_.Add(kMainWindow);
  }
  void TearDown() override {
    ::unsetenv("APPDATA");
    fs::remove_all(root_);
  }

  // A task started with a known length, and its browser item.
  FakeItem Start(const std::string& name, std::string length = "1048576",
                 std::string url = "http://h/media/song-hq.mp3?k=1.x") {
    const int id = BeginDownload(context_, url, name, {length, 200});
    EXPECT_GT(id, 0);
    FakeItem item;
    item.id = id;
    return item;
  }
  // The browser writes the file, then reports it complete.
  void Finish(FakeItem& item, size_t bytes = 20000) {
    item.received = item.total = static_cast<std::int64_t>(bytes);
    OnDownloadUpdated(context_, item);
    std::ofstream(TaskOfDownload(context_, item.id)->TempPath) << std::string(bytes, 'x');
    item.inProgress = false;
    item.complete = true;
    OnDownloadUpdated(context_, item);
  }
  std::vector<std::string> Row(int row) {
    std::vector<std::string> cells;
    for (int c = 0; c < 6; ++c) cells.push_back(controls_.GetCell(kDownloadList, row, c));
    return cells;
  }
  int Rows() { return controls_.RowCount(kDownloadList); }
  void Select(int taskId) {
    controls_.SetSelectedRow(kDownloadList, RowOfTask(controls_, taskId));
  }

  std::string root_, folder_;
  MemoryControls controls_;
  ProgramState state_;
  FakeHost host_;
  FakeDesktop desktop_;
  DownloadContext context_{controls_, state_, &host_, &desktop_, nullptr};
};

TEST_F(DownloadManagerTest, ADownloadGoesFromItsTemporaryFileToItsFinalName) {
  FakeItem item = Start("[高品] 林小雨 - 晴天");
  ASSERT_EQ(host_.started.size(), 1u);
  const DownloadTask& task = state_.DownloadTasks[0];
  EXPECT_EQ(task.TempPath, folder_ + TempFileName("1048576", "[高品] 林小雨 - 晴天.mp3"));
  EXPECT_EQ(task.FileName, "[高品] 林小雨 - 晴天.mp3");

  OnBeforeDownload(context_, item);
  EXPECT_EQ(item.continuedTo, task.TempPath);
  item.received = 524288;
  OnDownloadUpdated(context_, item);
  EXPECT_EQ(Row(0), (std::vector<std::string>{"1", "[高品] 林小雨 - 晴天", "1.00MB", "50%",
                                              "正在下载", "1"}));
  Finish(item, 3670016);
  EXPECT_EQ(Row(0), (std::vector<std::string>{"1", "[高品] 林小雨 - 晴天", "3.50MB", "100%",
                                              "下载完成", "1"}));
  EXPECT_EQ(state_.DownloadTasks[0].FileName, folder_ + "[高品] 林小雨 - 晴天.mp3");
  EXPECT_TRUE(fs::exists(folder_ + "[高品] 林小雨 - 晴天.mp3"));
  EXPECT_FALSE(fs::exists(task.TempPath));
  // Later events of the finished download rename nothing again.
  OnDownloadUpdated(context_, item);
  EXPECT_TRUE(fs::exists(folder_ + "[高品] 林小雨 - 晴天.mp3"));
}

TEST_F(DownloadManagerTest, TheSameNameThreeTimesNeverOverwrites) {
  std::vector<FakeItem> items;
  for (int i = 0; i < 3; ++i) items.push_back(Start("[低] 夜曲"));
  // Same name, same length: each task still writes a file of its own.
  EXPECT_NE(state_.DownloadTasks[0].TempPath, state_.DownloadTasks[1].TempPath);
  EXPECT_NE(state_.DownloadTasks[1].TempPath, state_.DownloadTasks[2].TempPath);
  for (FakeItem& item : items) {
    OnBeforeDownload(context_, item);
    Finish(item);
  }
  for (const char* name : {"[低] 夜曲.mp3", "[低] 夜曲(1).mp3", "[低] 夜曲(2).mp3"})
    EXPECT_TRUE(fs::exists(folder_ + name)) << name;
  // Newest first, each row numbered by the row count of its update.
  EXPECT_EQ(Row(0)[5], "3");
  EXPECT_EQ(Row(2)[5], "1");
  EXPECT_EQ(Row(0)[1], "[低] 夜曲(2)");
}

TEST_F(DownloadManagerTest, SmallFilesFailAtTheLimit) {
  for (std::int64_t total : {10239, 10240}) {
    FakeItem item = Start("tiny" + std::to_string(total));
    item.total = total;
    OnBeforeDownload(context_, item);
    OnDownloadUpdated(context_, item);
    Finish(item, static_cast<size_t>(total));
    const int row = RowOfTask(controls_, item.id);
    if (total == 10239) {
      EXPECT_EQ(Row(row)[3], "0%");
      EXPECT_EQ(Row(row)[4], "下载错误");
      EXPECT_NE(controls_.CellToolTip(kDownloadList, row, 4).find("10239"), std::string::npos);
      EXPECT_TRUE(fs::exists(TaskOfDownload(context_, item.id)->TempPath))
          << "the small file keeps its temporary name";
    } else {
      EXPECT_EQ(Row(row)[4], "下载完成");
    }
  }
}

TEST_F(DownloadManagerTest, FailuresShowTheirCause) {
  // A 404 of the size request, then the browser gives up.
  const int id = BeginDownload(context_, "http://h/missing.mp3", "gone", {"", 404});
  FakeItem gone;
  gone.id = id;
  OnBeforeDownload(context_, gone);
  gone.inProgress = false;
  gone.canceled = true;
  gone.reason = kDownloadInterruptServerBadContent;
  OnDownloadUpdated(context_, gone);
  EXPECT_EQ(Row(0)[4], "下载错误");
  EXPECT_EQ(Row(0)[3], "0%");
  EXPECT_EQ(controls_.CellToolTip(kDownloadList, 0, 4), "服务器答复 HTTP 404");

  FakeItem full = Start("full");
  OnBeforeDownload(context_, full);
  full.inProgress = false;
  full.canceled = true;
  full.reason = kDownloadInterruptFileNoSpace;
  OnDownloadUpdated(context_, full);
  EXPECT_EQ(controls_.CellToolTip(kDownloadList, 0, 4), "磁盘空间不足");

  // A connection cut the browser went on after shows, and too many stop it.
  FakeItem cut = Start("cut");
  OnBeforeDownload(context_, cut);
  cut.cuts = 1;
  OnDownloadUpdated(context_, cut);
  EXPECT_EQ(Row(0)[4], "正在下载");
  EXPECT_EQ(controls_.CellToolTip(kDownloadList, 0, 4), "连接中断 1 次,已自动续传");
  cut.cuts = kMaxResumptions + 1;
  OnDownloadUpdated(context_, cut);
  EXPECT_EQ(cut.answers, std::vector<std::string>{"cancel"});
  EXPECT_EQ(Row(0)[4], "下载错误");
}

// The browser ends a download itself: at once on a reset, or after the cuts
// it went on from. The cause is the last word, and the partial file it may
// keep for a resumption goes.
TEST_F(DownloadManagerTest, ADownloadTheBrowserGaveUpOnShowsWhyAndLeavesNoPartialFile) {
  struct Case {
    const char* name;
    int cuts;
    int reason;
    const char* tooltip;
  };
  const Case cases[] = {
      {"reset", 0, kDownloadInterruptNetworkFailed, "连接中断(网络错误 20)"},
      {"cut five times", 5, kDownloadInterruptServerContentLengthMismatch,
       "连接中断 5 次,下载已停止"},
      {"cut, then refused", 1, kDownloadInterruptServerBadContent, "连接中断 1 次,下载已停止"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeItem item = Start(c.name);
    OnBeforeDownload(context_, item);
    const std::string partial = TaskOfDownload(context_, item.id)->TempPath + ".download";
    std::ofstream(partial) << std::string(20000, 'p');
    item.received = 20000;
    for (int cut = 1; cut <= c.cuts; ++cut) {
      item.cuts = cut;
      OnDownloadUpdated(context_, item);
      EXPECT_EQ(Row(0)[4], "正在下载");
      EXPECT_EQ(controls_.CellToolTip(kDownloadList, 0, 4),
                "连接中断 " + std::to_string(cut) + " 次,已自动续传");
    }
    item.inProgress = false;
    item.canceled = true;
    item.reason = c.reason;
    OnDownloadUpdated(context_, item);
    EXPECT_EQ(Row(0)[4], "下载错误");
    EXPECT_EQ(Row(0)[3], "0%");
    EXPECT_EQ(controls_.CellToolTip(kDownloadList, 0, 4), c.tooltip);
    EXPECT_FALSE(fs::exists(partial));
    EXPECT_TRUE(item.answers.empty()) << "the browser had already ended it";
    // Later events change nothing.
    OnDownloadUpdated(context_, item);
    EXPECT_EQ(Row(0)[4], "下载错误");
    EXPECT_EQ(controls_.CellToolTip(kDownloadList, 0, 4), c.tooltip);
  }
}

TEST_F(DownloadManagerTest, AFailedRenameIsAFailureNotACompletion) {
  FakeItem item = Start("vanished");
  OnBeforeDownload(context_, item);
  item.received = item.total = 20000;
  OnDownloadUpdated(context_, item);
  // The browser says complete, but its file is not there to be renamed.
  item.inProgress = false;
  item.complete = true;
  OnDownloadUpdated(context_, item);
  EXPECT_EQ(Row(0)[4], "下载错误");
  EXPECT_EQ(Row(0)[3], "0%");
  EXPECT_EQ(state_.DownloadTasks[0].FileName, "vanished.mp3");
  EXPECT_FALSE(fs::exists(folder_ + "vanished.mp3"));
  EXPECT_NE(controls_.CellToolTip(kDownloadList, 0, 4).find("无法改名为 " + folder_ + "vanished.mp3"),
            std::string::npos);
}

TEST_F(DownloadManagerTest, AnEventOfNoTaskIsIgnored) {
  FakeItem stranger;
  stranger.id = 7;
  OnBeforeDownload(context_, stranger);
  OnDownloadUpdated(context_, stranger);
  EXPECT_EQ(Rows(), 0);
  EXPECT_TRUE(stranger.continuedTo.empty());
}

TEST_F(DownloadManagerTest, PauseResumeAndDeleteReachTheBrowser) {
  FakeItem item = Start("pause");
  OnBeforeDownload(context_, item);
  OnDownloadUpdated(context_, item);
  Select(item.id);
  RunDownloadTaskCommand(context_, kPauseTaskCommand);
  EXPECT_EQ(host_.nudged, std::vector<int>{1});  // told now, not on a later event
  OnDownloadUpdated(context_, item);
  EXPECT_EQ(Row(0)[4], "暂停下载");
  RunDownloadTaskCommand(context_, kResumeTaskCommand);
  OnDownloadUpdated(context_, item);
  EXPECT_EQ(Row(0)[4], "恢复下载");
  EXPECT_EQ(state_.DownloadTasks[0].State, kTaskResumePassed);
  OnDownloadUpdated(context_, item);
  EXPECT_EQ(Row(0)[4], "正在下载");
  EXPECT_EQ(item.answers, (std::vector<std::string>{"pause", "resume"}));

  RunDownloadTaskCommand(context_, kDeleteTaskCommand);
  EXPECT_EQ(Rows(), 0);
  OnDownloadUpdated(context_, item);
  OnDownloadUpdated(context_, item);
  EXPECT_EQ(item.answers.back(), "cancel");
  EXPECT_EQ(Rows(), 0) << "a deleted task's row does not come back";
}

TEST_F(DownloadManagerTest, ADownloadTheBrowserEndsWhilePausedShowsAsFailed) {
  // Paused, and paused with its resumption asked for but not yet passed on.
  for (const bool resumeAsked : {false, true}) {
    SCOPED_TRACE(resumeAsked ? "resume asked" : "paused");
    FakeItem item = Start(resumeAsked ? "resume-asked" : "paused");
    OnBeforeDownload(context_, item);
    const std::string partial = TaskOfDownload(context_, item.id)->TempPath + ".download";
    std::ofstream(partial) << std::string(20000, 'p');
    Select(item.id);
    RunDownloadTaskCommand(context_, kPauseTaskCommand);
    OnDownloadUpdated(context_, item);
    if (resumeAsked) RunDownloadTaskCommand(context_, kResumeTaskCommand);
    item.answers.clear();
    item.inProgress = false;
    item.canceled = true;
    item.reason = kDownloadInterruptNetworkFailed;
    OnDownloadUpdated(context_, item);
    EXPECT_EQ(Row(0)[4], "下载错误");
    EXPECT_EQ(controls_.CellToolTip(kDownloadList, 0, 4), "连接中断(网络错误 20)");
    EXPECT_TRUE(item.answers.empty()) << "nothing is asked of a download that has ended";
    EXPECT_FALSE(fs::exists(partial));
    RunDownloadTaskCommand(context_, kDeleteTaskCommand);
  }
}

TEST_F(DownloadManagerTest, DeletingAnOlderTaskLeavesTheNewerRowsRight) {
  FakeItem first = Start("first"), second = Start("second"), third = Start("third");
  for (FakeItem* item : {&first, &second, &third}) OnBeforeDownload(context_, *item);
  Select(first.id);
  DeleteTask(context_);
  second.received = 1 << 19;
  OnDownloadUpdated(context_, second);
  third.received = 1 << 18;
  OnDownloadUpdated(context_, third);
  EXPECT_EQ(Row(RowOfTask(controls_, second.id))[1], "second");
  EXPECT_EQ(Row(RowOfTask(controls_, second.id))[3], "50%");
  EXPECT_EQ(Row(RowOfTask(controls_, third.id))[1], "third");
  EXPECT_EQ(Row(RowOfTask(controls_, third.id))[3], "25%");
  EXPECT_EQ(Rows(), 2);
}

TEST_F(DownloadManagerTest, DeleteWithFileRemovesOnlyTheTasksOwnFile) {
  // An unfinished task: its temporary file goes, never a bare name in the
  // working folder.
  const fs::path working = fs::current_path();
  fs::current_path(root_);
  std::ofstream(root_ + "/unfinished.mp3") << "not ours";
  FakeItem running = Start("unfinished");
  OnBeforeDownload(context_, running);
  std::ofstream(state_.DownloadTasks[0].TempPath) << "partial";
  Select(running.id);
  DeleteTaskAndFile(context_);
  EXPECT_TRUE(fs::exists(root_ + "/unfinished.mp3"));
  EXPECT_FALSE(fs::exists(state_.DownloadTasks[0].TempPath));
  fs::current_path(working);

  FakeItem done = Start("done");
  OnBeforeDownload(context_, done);
  Finish(done);
  ASSERT_TRUE(fs::exists(folder_ + "done.mp3"));
  Select(done.id);
  DeleteTaskAndFile(context_);
  EXPECT_FALSE(fs::exists(folder_ + "done.mp3"));
  EXPECT_EQ(Rows(), 0);
}

TEST_F(DownloadManagerTest, TheMenuFollowsTheTaskState) {
  auto captions = [](int state) {
    std::vector<std::string> out;
    for (const MenuItem& item : DownloadTaskMenu(state)) out.push_back(item.caption);
    return out;
  };
  using Captions = std::vector<std::string>;
  EXPECT_EQ(captions(kTaskDownloading), (Captions{"暂停下载", "删除任务", "删除任务和文件"}));
  EXPECT_EQ(captions(kTaskPaused), (Captions{"继续下载", "删除任务", "删除任务和文件"}));
  EXPECT_EQ(captions(kTaskCompleted), (Captions{"打开文件夹", "删除任务", "删除任务和文件"}));
  for (int state : {kTaskFailed, kTaskNew, kTaskResumePassed, kTaskResumeRequested})
    EXPECT_EQ(captions(state), (Captions{"删除任务", "删除任务和文件"})) << state;

  // Right-click with no selection shows nothing; with one, its task's menu.
  OnDownloadListRightClick(context_);
  EXPECT_TRUE(controls_.Menus().empty());
  FakeItem item = Start("menu");
  OnBeforeDownload(context_, item);
  Finish(item);
  Select(item.id);
  OnDownloadListRightClick(context_);
  ASSERT_EQ(controls_.Menus().size(), 1u);
  EXPECT_EQ(controls_.Menus()[0].menu[0].commandId, kOpenTaskFolderCommand);
  // A completed task cannot be paused any more; its folder opens at the file.
  PauseTask(context_);
  EXPECT_EQ(state_.DownloadTasks[0].State, kTaskCompleted);
  OpenTaskFolder(context_);
  EXPECT_EQ(desktop_.shown, std::vector<std::string>{folder_ + "menu.mp3"});
}

TEST_F(DownloadManagerTest, RefusalsMakeNoTask) {
  state_.appState.PlayerEngine = "ie";
  StartDownload(context_, "http://h/a.mp3", "a");
  ASSERT_EQ(controls_.MessageBoxes().size(), 1u);
  EXPECT_EQ(controls_.MessageBoxes()[0].text, "未安装环境引擎,无法进行下载。");
  EXPECT_EQ(controls_.MessageBoxes()[0].title, "不支持");

  state_.appState.PlayerEngine = "cef";
  EXPECT_EQ(BeginDownload(context_, "http://h/a.mp3", "a", {"999999999999999999", 200}), 0);
  ASSERT_EQ(controls_.MessageBoxes().size(), 2u);
  EXPECT_EQ(controls_.MessageBoxes()[1].title, "空间不足");

  // A row without an address in that quality: nothing for the browser.
  for (const char* url : {"", "0", "ftp://h/a.mp3", "http://"})
    EXPECT_EQ(BeginDownload(context_, url, "a", {"", 0}), 0) << url;
  EXPECT_TRUE(host_.started.empty());

  host_.works = false;
  EXPECT_EQ(BeginDownload(context_, "http://h/a.mp3", "a", {"", 200}), 0);
  EXPECT_TRUE(state_.DownloadTasks.empty()) << "the browser's numbering stays in step";
}

TEST_F(DownloadManagerTest, ServerNamesLandInsideTheFolder) {
  FakeItem item = Start("[视频]../../逃出/去", "", "http://h/mv/x.webm");
  OnBeforeDownload(context_, item);
  Finish(item);
  const std::string path = state_.DownloadTasks[0].FileName;
  EXPECT_EQ(fs::path(path).parent_path(), fs::path(folder_).parent_path());
  EXPECT_EQ(fs::path(path).filename(), "[视频].._.._逃出_去.webm");
  EXPECT_TRUE(fs::exists(path));
}

TEST_F(DownloadManagerTest, TheChosenFolderIsKeptAndAMissingOneReplaced) {
  desktop_.pick = "  " + root_ + "/chosen  ";
  fs::create_directory(root_ + "/chosen");
  ChooseSaveFolder(context_);
  EXPECT_EQ(desktop_.pickedFrom, "保存到@" + folder_);
  EXPECT_EQ(state_.appState.SavePath, root_ + "/chosen/");
  EXPECT_EQ(ReadDownloadsSavePath(), root_ + "/chosen/");
  EXPECT_EQ(controls_.GetText(kSavePathBox), root_ + "/chosen/");

  desktop_.pick = "";  // cancelled
  ChooseSaveFolder(context_);
  EXPECT_EQ(state_.appState.SavePath, root_ + "/chosen/");

  // The folder disappears: opening it makes the default one, not in Config.ini.
  ::setenv("XDG_DESKTOP_DIR", (root_ + "/desk").c_str(), 1);
  fs::remove(root_ + "/chosen");
  OpenSaveFolder(context_);
  ::unsetenv("XDG_DESKTOP_DIR");
  EXPECT_EQ(state_.appState.SavePath, root_ + "/desk/下载目录/");
  EXPECT_TRUE(fs::is_directory(root_ + "/desk/下载目录"));
  EXPECT_EQ(desktop_.opened, std::vector<std::string>{root_ + "/desk/下载目录/"});
  EXPECT_EQ(ReadDownloadsSavePath(), root_ + "/chosen/");
}

}  // namespace
}  // namespace larkbay
