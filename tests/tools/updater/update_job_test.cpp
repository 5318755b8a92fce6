// The update job in this process: the save folder of the record, as the
// program writes it for the engine pack (the desktop folder with a doubled
// final "/"), is made when it is missing, and a folder that cannot be made
// stops the update before anything is downloaded. What the job puts in place
// is signed, and its signature lands beside it.

#include "update_job.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "folders.h"
#include "remote/updater_record.h"
#include "server_process.h"
#include "signed_files.h"

namespace larkbay {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::ServerProcess;
using test::TempFolder;
using test::WriteFile;
using test::WriteSigned;
using updater::UpdateStep;

// Everything the job reports, in order.
class RecordedReport : public updater::UpdateReport {
 public:
  void Step(UpdateStep step, const std::string& detail) override {
    steps.emplace_back(step, detail);
    if (onStep) onStep(step);
  }
  void Progress(std::uint64_t, std::int64_t) override {}
  void Failure(const std::string& why) override { failures.push_back(why); }

  std::vector<std::string> Details(UpdateStep step) const {
    std::vector<std::string> found;
    for (const auto& [s, detail] : steps) {
      if (s == step) found.push_back(detail);
    }
    return found;
  }

  std::vector<std::pair<UpdateStep, std::string>> steps;
  std::vector<std::string> failures;
  std::function<void(UpdateStep)> onStep;
};

// Folders are made with 0755 under the usual umask.
class UsualUmask {
 public:
  explicit UsualUmask(mode_t mask = 022) : previous_(::umask(mask)) {}
  ~UsualUmask() { ::umask(previous_); }

 private:
  mode_t previous_;
};

fs::perms ModeOf(const fs::path& path) { return fs::status(path).permissions() & fs::perms::mask; }

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// A program that ends at once, started when the job is done.
fs::path QuickProgram(const fs::path& folder) {
  const fs::path program = folder / "lark-bay";
  WriteFile(program, "#!/bin/sh\nexit 0\n");
  fs::permissions(program, fs::perms(0755));
  return program;
}

std::string RecordFile(const fs::path& scratch, const UpdaterRecord& record) {
  const std::string file = (scratch / "program_updata_config").string();
  EXPECT_TRUE(WriteUpdaterRecord(file, record));
  return file;
}

TEST(UpdateJob, PathsHaveSingleSlashes) {
  const std::vector<std::pair<std::string, std::string>> paths = {
      {"/root/Desktop//", "/root/Desktop"},
      {"/root/Desktop", "/root/Desktop"},
      {"/a//b///c/", "/a/b/c"},
      {"//", "/"},
      {"/", "/"},
      {"a//b", "a/b"},
  };
  for (const auto& [path, normal] : paths) {
    EXPECT_EQ(updater::NormalPath(path), normal) << path;
  }
  UpdaterRecord record;
  record.fileName = "Enginepack";
  for (const auto& [folder, target] : std::vector<std::pair<std::string, std::string>>{
           {"/root/Desktop//", "/root/Desktop/Enginepack"},
           {"/root/Desktop", "/root/Desktop/Enginepack"},
           {"/", "/Enginepack"}}) {
    record.saveFolder = folder;
    EXPECT_EQ(updater::TargetPath(record), target) << folder;
  }
}

TEST(UpdateJob, MakesAMissingDesktopFolderAndPutsThePackThere) {
  struct Case {
    const char* name;
    std::string existing;           // made before the run, under the scratch folder; "" for none
    std::string folder;             // field 3 under the scratch folder, as the program writes it
    std::vector<std::string> made;  // folders the job makes, under the scratch folder
  };
  const std::vector<Case> cases = {
      {"desktop there", "home/user/Desktop", "home/user/Desktop//", {}},
      {"desktop missing", "home/user", "home/user/Desktop//", {"home/user/Desktop"}},
      {"home missing too", "", "home/user/Desktop//", {"home", "home/user", "home/user/Desktop"}},
      {"slashes doubled inside",
       "home",
       "home//user///Desktop//",
       {"home/user", "home/user/Desktop"}},
  };
  const UsualUmask umask;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder scratch;
    const fs::path downloads = scratch.Path() / "downloads";
    fs::create_directories(downloads);
    if (!c.existing.empty()) fs::create_directories(scratch.Path() / c.existing);
    const std::string pack = "engine pack bytes\n";
    WriteSigned(downloads / "Enginepack", pack);
    ServerProcess server(downloads);
    ASSERT_TRUE(server.Ready()) << server.Output();

    // Field 1 names this test, which the job leaves alone.
    UpdaterRecord record;
    record.processId = CurrentProcessId();
    record.address = server.Base() + "/download/Enginepack";
    record.saveFolder = scratch.Path().string() + "/" + c.folder;
    record.fileName = "Enginepack";
    record.startProgram = "/bin/true";  // ends at once, whatever the test has removed by then

    RecordedReport report;
    const int code = updater::RunUpdate(RecordFile(scratch.Path(), record), report);
    EXPECT_EQ(code, updater::kExitOk);
    EXPECT_TRUE(report.failures.empty()) << report.failures.front();

    const fs::path desktop = scratch.Path() / "home/user/Desktop";
    const fs::path target = desktop / "Enginepack";
    EXPECT_EQ(ReadFile(target), pack);
    EXPECT_EQ(ModeOf(target), fs::perms(0644));
    EXPECT_EQ(Names(desktop), (std::vector<std::string>{"Enginepack", "Enginepack.sig"}))
        << "the pack and its signature, no temporary file left";
    EXPECT_EQ(ReadFile(desktop / "Enginepack.sig"), ReadFile(downloads / "Enginepack.sig"));
    EXPECT_EQ(ModeOf(desktop / "Enginepack.sig"), fs::perms(0644));
    for (const std::string& made : c.made) {
      EXPECT_EQ(ModeOf(scratch.Path() / made), fs::perms(0755)) << made;
    }
    // A made folder is reported once, with single slashes.
    const std::vector<std::string> madeReports = report.Details(UpdateStep::kFolderMade);
    if (c.made.empty()) {
      EXPECT_TRUE(madeReports.empty());
    } else {
      EXPECT_EQ(madeReports, std::vector<std::string>{desktop.string()});
    }
    EXPECT_EQ(report.Details(UpdateStep::kReplaced), std::vector<std::string>{target.string()});
    EXPECT_EQ(report.Details(UpdateStep::kStarted), std::vector<std::string>{record.startProgram});
  }
}

// A new file is made as any program makes one (0666, the program to start
// 0777, less the umask); a replaced file keeps its mode.
TEST(UpdateJob, DownloadedFilesFollowTheUmaskOrKeepTheReplacedMode) {
  struct Case {
    const char* name;
    mode_t umask;
    std::string fileName;  // "lark-bay" is the program started afterwards
    fs::perms before;      // none: no file before
    fs::perms after;
  };
  const std::vector<Case> cases = {
      {"new pack, private umask", 077, "Enginepack", fs::perms::none, fs::perms(0600)},
      {"new pack, group umask", 027, "Enginepack", fs::perms::none, fs::perms(0640)},
      {"new program, private umask", 077, "lark-bay", fs::perms::none, fs::perms(0700)},
      {"new program, usual umask", 022, "lark-bay", fs::perms::none, fs::perms(0755)},
      {"private pack replaced", 022, "Enginepack", fs::perms(0600), fs::perms(0600)},
      {"group program replaced", 077, "lark-bay", fs::perms(0750), fs::perms(0750)},
      {"program without run bits replaced", 077, "lark-bay", fs::perms(0640), fs::perms(0750)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder scratch;
    const fs::path downloads = scratch.Path() / "downloads";
    const fs::path app = scratch.Path() / "app";
    fs::create_directories(downloads);
    fs::create_directories(app);
    WriteSigned(downloads / c.fileName, "#!/bin/sh\nexit 0\n");
    const fs::path target = app / c.fileName;
    if (c.before != fs::perms::none) {
      WriteFile(target, "old");
      fs::permissions(target, c.before);
    }
    ServerProcess server(downloads);
    ASSERT_TRUE(server.Ready()) << server.Output();

    UpdaterRecord record;
    record.processId = CurrentProcessId();
    record.address = server.Base() + "/download/" + c.fileName;
    record.saveFolder = app.string() + "/";
    record.fileName = c.fileName;
    record.startProgram = c.fileName == "lark-bay" ? target.string() : "/bin/true";
    const std::string recordFile = RecordFile(scratch.Path(), record);

    const UsualUmask umask(c.umask);
    RecordedReport report;
    EXPECT_EQ(updater::RunUpdate(recordFile, report), updater::kExitOk);
    EXPECT_TRUE(report.failures.empty()) << report.failures.front();
    EXPECT_EQ(ReadFile(target), "#!/bin/sh\nexit 0\n");
    EXPECT_EQ(ModeOf(target), c.after);
  }
}

// The record is taken (emptied) once it is read, before the download: an
// update that failed or was cut short is not carried out a second time by a
// later start of the updater. A record the program writes in its place while
// the updater reads stays whole.
TEST(UpdateJob, TheRecordIsTakenBeforeTheDownloadAndServesOnce) {
  struct Case {
    const char* name;
    bool served;  // the file is on the server
    int code;
  };
  const std::vector<Case> cases = {
      {"update done", true, updater::kExitOk},
      {"download failed", false, updater::kExitDownloadFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder scratch;
    const fs::path downloads = scratch.Path() / "downloads";
    const fs::path app = scratch.Path() / "app";
    fs::create_directories(downloads);
    fs::create_directories(app);
    if (c.served) WriteSigned(downloads / "Enginepack", "pack");
    ServerProcess server(downloads);
    ASSERT_TRUE(server.Ready()) << server.Output();

    UpdaterRecord record;
    record.processId = CurrentProcessId();
    record.address = server.Base() + "/download/Enginepack";
    record.saveFolder = app.string() + "/";
    record.fileName = "Enginepack";
    record.startProgram = "/bin/true";
    const std::string recordFile = RecordFile(scratch.Path(), record);

    RecordedReport first;
    std::string atDownload = "not reached";
    first.onStep = [&](UpdateStep step) {
      if (step == UpdateStep::kDownload) atDownload = ReadFile(recordFile);
    };
    EXPECT_EQ(updater::RunUpdate(recordFile, first), c.code);
    EXPECT_EQ(atDownload, "") << "taken before the download";
    EXPECT_TRUE(fs::exists(recordFile)) << "emptied, its time kept for the program";
    EXPECT_EQ(fs::file_size(recordFile), 0u);

    // A second start of the updater finds nothing to do.
    fs::remove(app / "Enginepack");
    RecordedReport second;
    EXPECT_EQ(updater::RunUpdate(recordFile, second), updater::kExitBadRecord);
    ASSERT_EQ(second.failures.size(), 1u);
    EXPECT_EQ(second.failures[0], "更新信息 " + recordFile + " 是空的：已经用过了");
    EXPECT_TRUE(second.Details(UpdateStep::kDownload).empty());
    EXPECT_TRUE(second.Details(UpdateStep::kStarted).empty());
    EXPECT_FALSE(fs::exists(app / "Enginepack"));
  }

  // The program writes a new record (by rename) while the updater reads the
  // old one: only the old one is taken.
  TempFolder scratch;
  UpdaterRecord record;
  record.processId = CurrentProcessId();
  record.address = "http://127.0.0.1:9/download/Enginepack";
  record.saveFolder = scratch.Path().string() + "/";
  record.fileName = "Enginepack";
  record.startProgram = "/bin/true";
  const std::string recordFile = RecordFile(scratch.Path(), record);
  UpdaterRecord next = record;
  next.address = "http://127.0.0.1:9/download/next";
  RecordedReport report;
  report.onStep = [&](UpdateStep step) {
    if (step == UpdateStep::kReadRecord) {
      EXPECT_TRUE(WriteUpdaterRecord(recordFile, next));
    }
  };
  updater::RunUpdate(recordFile, report);
  UpdaterRecord left;
  EXPECT_TRUE(ReadUpdaterRecord(recordFile, left));
  EXPECT_EQ(left.address, next.address);
}

// The signature is put in place just before the file: when the file then
// cannot follow, the old file keeps the signature it had (or none).
TEST(UpdateJob, AFileThatCannotBePutInPlaceKeepsItsOldSignature) {
  for (const bool hadSignature : {true, false}) {
    SCOPED_TRACE(hadSignature ? "old signature" : "no old signature");
    TempFolder scratch;
    const fs::path downloads = scratch.Path() / "downloads";
    const fs::path app = scratch.Path() / "app";
    fs::create_directories(downloads);
    WriteSigned(downloads / "Enginepack", "new pack");
    // A folder where the pack should go: the rename over it fails.
    fs::create_directories(app / "Enginepack");
    WriteFile(app / "Enginepack" / "inside", "x");
    const std::string oldSignature = "old signature\n";
    if (hadSignature) WriteFile(app / "Enginepack.sig", oldSignature);
    ServerProcess server(downloads);
    ASSERT_TRUE(server.Ready()) << server.Output();

    UpdaterRecord record;
    record.processId = CurrentProcessId();
    record.address = server.Base() + "/download/Enginepack";
    record.saveFolder = app.string() + "/";
    record.fileName = "Enginepack";
    record.startProgram = "/bin/true";

    RecordedReport report;
    EXPECT_EQ(updater::RunUpdate(RecordFile(scratch.Path(), record), report),
              updater::kExitReplaceFailed);
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0], "无法替换 " + (app / "Enginepack").string() + "：是一个文件夹");
    EXPECT_EQ(report.Details(UpdateStep::kSigned),
              std::vector<std::string>{record.address + ".sig"});
    EXPECT_TRUE(report.Details(UpdateStep::kStarted).empty());
    if (hadSignature) {
      EXPECT_EQ(ReadFile(app / "Enginepack.sig"), oldSignature);
      EXPECT_EQ(Names(app), (std::vector<std::string>{"Enginepack", "Enginepack.sig"}));
    } else {
      EXPECT_EQ(Names(app), std::vector<std::string>{"Enginepack"});
    }
  }
}

TEST(UpdateJob, StopsWithTheCauseWhenTheFolderCannotBeMade) {
  struct Case {
    const char* name;
    std::string folder;  // field 3 under the scratch folder
    std::string shown;   // the folder as the failure names it, under the scratch folder
    std::string cause;   // the end of the failure, "<scratch>/" standing for the scratch folder
  };
  const std::string longName(300, 'x');
  const std::vector<Case> cases = {
      {"a file on the way", "app/lark-bay/Desktop//", "app/lark-bay/Desktop",
       "<scratch>/app/lark-bay 不是文件夹"},
      {"the folder is a file", "app/lark-bay//", "app/lark-bay", "已有同名的文件"},
      {"a name too long", "app/" + longName + "//", "app/" + longName, "名称太长"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder scratch;
    const fs::path app = scratch.Path() / "app";
    fs::create_directories(app);
    const fs::path old = QuickProgram(app);
    const std::string oldBytes = ReadFile(old);

    // Nothing listens here: a job that went on would fail with its download.
    UpdaterRecord record;
    record.processId = CurrentProcessId();
    record.address = "http://127.0.0.1:9/download/Enginepack";
    record.saveFolder = scratch.Path().string() + "/" + c.folder;
    record.fileName = "Enginepack";
    record.startProgram = old.string();

    RecordedReport report;
    const int code = updater::RunUpdate(RecordFile(scratch.Path(), record), report);
    EXPECT_EQ(code, updater::kExitFolderFailed);
    ASSERT_EQ(report.failures.size(), 1u);
    std::string cause = c.cause;
    if (cause.starts_with("<scratch>/")) cause.replace(0, 9, scratch.Path().string());
    EXPECT_EQ(report.failures[0],
              "无法创建文件夹 " + (scratch.Path() / c.shown).string() + "：" + cause);
    EXPECT_TRUE(report.Details(UpdateStep::kDownload).empty());
    EXPECT_TRUE(report.Details(UpdateStep::kStarted).empty());
    EXPECT_EQ(ReadFile(old), oldBytes) << "old file byte for byte";
    EXPECT_EQ(ModeOf(old), fs::perms(0755));
    EXPECT_EQ(Names(app), std::vector<std::string>{"lark-bay"}) << "nothing made beside it";
  }
}

}  // namespace
}  // namespace larkbay
