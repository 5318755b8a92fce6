// Update.exe as a program: downloads from the reference server, replaces the
// target only with a whole file signed by the release key, ends only the
// program it replaces, and starts the new one.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/processes.h"
#include "remote/updater_record.h"
#include "server_process.h"
#include "services/signature/release_signature.h"
#include "signed_files.h"

extern char** environ;

namespace larkbay {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::ServerProcess;
using test::TempFolder;
using test::WriteFile;
using test::WriteSigned;

constexpr auto kUpdaterTimeout = std::chrono::seconds(15);

// A child started by the test: killed and reaped when the object goes.
class Child {
 public:
  Child() = default;
  explicit Child(std::vector<std::string> argv, const std::string& out = "/dev/null",
                 const std::string& err = "/dev/null") {
    // Console mode: no display for the updater, whatever the test runs under.
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
      const std::string_view entry = *e;
      if (entry.starts_with("DISPLAY=") || entry.starts_with("WAYLAND_DISPLAY=")) continue;
      env.emplace_back(entry);
    }
    std::vector<char*> args, envp;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  Child(Child&& other) noexcept : pid_(other.pid_) { other.pid_ = -1; }
  Child& operator=(Child&& other) noexcept {
    std::swap(pid_, other.pid_);
    return *this;
  }
  ~Child() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  pid_t Pid() const { return pid_; }
  // The wait status once the child ended within `timeout`; killed otherwise
  // (the status then says SIGKILL).
  int WaitFor(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    while (pid_ > 0) {
      const pid_t done = waitpid(pid_, &status, WNOHANG);
      if (done == pid_) {
        pid_ = -1;
        break;
      }
      if (std::chrono::steady_clock::now() >= deadline) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        pid_ = -1;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return status;
  }

 private:
  pid_t pid_ = -1;
};

struct RunResult {
  int exitCode = -1;  // -1: did not exit by itself
  std::string out;
  std::string err;
};

// Runs Update.exe at `program` (the built one by default) with `args`.
RunResult RunUpdater(const fs::path& scratch, std::vector<std::string> args,
                     const std::string& program = LARKBAY_UPDATER_BINARY) {
  const std::string out = (scratch / "updater.out").string();
  const std::string err = (scratch / "updater.err").string();
  args.insert(args.begin(), program);
  Child updater(args, out, err);
  EXPECT_GT(updater.Pid(), 0);
  const int status = updater.WaitFor(kUpdaterTimeout);
  RunResult result;
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  result.out = ReadFile(out);
  result.err = ReadFile(err);
  return result;
}

// A file the shell runs and that ends at once, padded to `size` bytes so the
// download takes several reads.
std::string QuickScript(size_t size) {
  std::string script = "#!/bin/sh\nexit 0\n";
  script.resize(size, '#');
  return script;
}

std::string Describe(const RunResult& run) {
  return "exit " + std::to_string(run.exitCode) + "\nstdout:\n" + run.out + "stderr:\n" + run.err;
}

std::vector<std::string> LeftoverDownloads(const fs::path& folder) {
  std::vector<std::string> found;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().filename().string().find(".download-") != std::string::npos) {
      found.push_back(entry.path().filename().string());
    }
  }
  return found;
}

fs::perms ModeOf(const fs::path& file) { return fs::status(file).permissions() & fs::perms::mask; }

void CopyExecutable(const fs::path& from, const fs::path& to) {
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
  fs::permissions(to, fs::perms(0755));
}

// Pids named by the "started <pid>" lines of a restart probe's log.
std::vector<ProcessId> StartedPids(const fs::path& log) {
  std::vector<ProcessId> pids;
  std::istringstream lines(ReadFile(log));
  std::string word;
  unsigned long pid = 0;
  while (lines >> word >> pid) {
    if (word == "started") pids.push_back(static_cast<ProcessId>(pid));
  }
  return pids;
}

std::vector<ProcessId> WaitForStarts(const fs::path& log, size_t count) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  std::vector<ProcessId> pids = StartedPids(log);
  while (pids.size() < count && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    pids = StartedPids(log);
  }
  return pids;
}

// Ends a process the updater started (not a child of the test) when it still
// runs `program`, and waits until it is gone.
void EndStarted(ProcessId id, const fs::path& program) {
  if (!IsSameExecutable(id, program.string())) return;
  kill(static_cast<pid_t>(id), SIGKILL);
  for (int i = 0; i < 300 && IsProcessRunning(id); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

struct DownloadCase {
  const char* name;
  std::vector<std::string> faults;  // server --fault list, empty for none
  std::string route;                // "/download/" or "/go/"
  std::string servedName;           // file asked for; "" serves nothing
  std::string served;               // bytes the server holds
  std::string targetName;
  std::string old;  // the target before; "" for none
  fs::perms oldMode;
  bool replaces;
  fs::perms newMode;
  const char* reason;  // expected on stderr when the update fails
};

TEST(UpdaterRun, DownloadReplacesTheTargetOnlyWithTheWholeFile) {
  const std::string big = QuickScript(3 << 20);
  const std::string small = QuickScript(5000);
  const std::string previous = "previous version\n";
  const std::vector<DownloadCase> cases = {
      {"good",
       {},
       "/download/",
       "lark-bay",
       big,
       "lark-bay",
       previous,
       fs::perms(0755),
       true,
       fs::perms(0755),
       ""},
      {"redirect",
       {},
       "/go/",
       "lark-bay",
       small,
       "lark-bay",
       previous,
       fs::perms(0755),
       true,
       fs::perms(0755),
       ""},
      {"no length",
       {"nolength"},
       "/download/",
       "lark-bay",
       small,
       "lark-bay",
       previous,
       fs::perms(0755),
       true,
       fs::perms(0755),
       ""},
      {"new program file",
       {},
       "/download/",
       "lark-bay",
       small,
       "lark-bay",
       "",
       fs::perms(0),
       true,
       fs::perms(0755),
       ""},
      {"plain data file",
       {},
       "/download/",
       "Enginepack",
       small,
       "Enginepack",
       previous,
       fs::perms(0644),
       true,
       fs::perms(0644),
       ""},
      {"truncated",
       {"truncate"},
       "/download/",
       "lark-bay",
       big,
       "lark-bay",
       previous,
       fs::perms(0755),
       false,
       fs::perms(0),
       "失败：连接中断"},
      {"not found",
       {},
       "/download/",
       "",
       "",
       "lark-bay",
       previous,
       fs::perms(0755),
       false,
       fs::perms(0),
       "失败：服务器返回错误 404"},
      {"dropped",
       {"drop"},
       "/go/",
       "lark-bay",
       small,
       "lark-bay",
       previous,
       fs::perms(0755),
       false,
       fs::perms(0),
       "失败：连接中断"},
      {"empty",
       {},
       "/download/",
       "lark-bay",
       "",
       "lark-bay",
       previous,
       fs::perms(0755),
       false,
       fs::perms(0),
       "失败：服务器给的文件是空的"},
  };
  for (const DownloadCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder scratch;
    const fs::path downloads = scratch.Path() / "downloads";
    const fs::path app = scratch.Path() / "app";
    fs::create_directories(downloads);
    fs::create_directories(app);
    if (!c.servedName.empty()) WriteSigned(downloads / c.servedName, c.served);
    const fs::path target = app / c.targetName;
    if (!c.old.empty()) {
      WriteFile(target, c.old);
      fs::permissions(target, c.oldMode);
    }
    if (c.targetName != "lark-bay") {
      // The program started afterwards, when the download is not the program.
      WriteFile(app / "lark-bay", QuickScript(100));
      fs::permissions(app / "lark-bay", fs::perms(0755));
    }
    std::vector<std::string> serverArgs;
    if (!c.faults.empty()) serverArgs = {"--fault", c.faults.front()};
    ServerProcess server(downloads, serverArgs);
    ASSERT_TRUE(server.Ready()) << server.Output();

    // Field 1 names this test, which does not run the program: it stays.
    UpdaterRecord record;
    record.processId = CurrentProcessId();
    record.address = server.Base() + c.route + (c.servedName.empty() ? "absent" : c.servedName);
    record.saveFolder = app.string() + "/";
    record.fileName = c.targetName;
    record.startProgram = (app / "lark-bay").string();
    const fs::path recordFile = scratch.Path() / "program_updata_config";
    ASSERT_TRUE(WriteUpdaterRecord(recordFile.string(), record));

    const RunResult run = RunUpdater(scratch.Path(), {"--record", recordFile.string()});
    if (c.replaces) {
      EXPECT_EQ(run.exitCode, 0) << Describe(run);
      EXPECT_TRUE(ReadFile(target) == c.served) << "target holds the server's file";
      EXPECT_EQ(ModeOf(target), c.newMode);
      EXPECT_EQ(ReadFile(target.string() + ".sig"), ReadFile(downloads / (c.servedName + ".sig")))
          << "its signature beside it";
      EXPECT_NE(run.out.find("updater: 已保存：" + target.string() + "\n"), std::string::npos)
          << run.out;
      EXPECT_NE(run.out.find("，不关闭\n"), std::string::npos) << "this test is left alone";
      if (c.targetName == "lark-bay") {
        EXPECT_NE(run.out.find("updater: 已启动：" + record.startProgram + "\n"), std::string::npos)
            << run.out;
      }
      EXPECT_EQ(run.err, "");
    } else {
      EXPECT_EQ(run.exitCode, 3) << Describe(run);
      EXPECT_TRUE(ReadFile(target) == c.old) << "old file byte for byte";
      EXPECT_EQ(ModeOf(target), c.oldMode);
      EXPECT_TRUE(run.err.starts_with("updater: ")) << run.err;
      EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
      EXPECT_EQ(run.out.find("已保存"), std::string::npos) << run.out;
      EXPECT_EQ(run.out.find("已启动"), std::string::npos) << run.out;
    }
    EXPECT_TRUE(LeftoverDownloads(app).empty());
    if (c.served.size() == big.size() && c.replaces) {
      // A few progress lines, not one per read.
      size_t lines = 0;
      for (size_t at = run.out.find("updater: 已下载 "); at != std::string::npos;
           at = run.out.find("updater: 已下载 ", at + 1)) {
        ++lines;
      }
      EXPECT_GE(lines, 2u) << run.out;
      EXPECT_LE(lines, 6u) << run.out;
      EXPECT_NE(run.out.find("updater: 已下载 3.0 MB / 3.0 MB（100%）\n"), std::string::npos)
          << run.out;
      EXPECT_NE(run.out.find("updater: 下载完成，共 3.0 MB\n"), std::string::npos) << run.out;
    }
  }
}

// Only a file signed by the release key is put in place and started. With no
// signature, another key's, the signature of another file or anything else,
// the old file and its signature stay byte for byte and nothing is started.
TEST(UpdaterRun, PutsInPlaceAndStartsOnlyAFileSignedByTheReleaseKey) {
  enum class Signature { kGood, kNone, kEmpty, kOtherKey, kOlderFile, kGarbage, kTooLarge };
  struct Case {
    const char* name;
    Signature signature;  // what the server holds at "lark-bay.sig"
    std::string query;    // after the address
    int code;
    std::string failure;  // on stderr after "updater: "; "<sig>": the signature's address
  };
  const std::string invalid = "签名无效：<sig> 不是这个文件的发布签名";
  const std::vector<Case> cases = {
      {"good signature", Signature::kGood, "", 0, ""},
      {"no signature on the server", Signature::kNone, "", 7,
       "缺少签名：下载 <sig> 失败：服务器返回错误 404"},
      {"empty signature", Signature::kEmpty, "", 7,
       "缺少签名：下载 <sig> 失败：服务器给的文件是空的"},
      {"signed by another key", Signature::kOtherKey, "", 7, invalid},
      {"the signature of the older file", Signature::kOlderFile, "", 7, invalid},
      {"garbage", Signature::kGarbage, "", 7, invalid},
      {"larger than a signature", Signature::kTooLarge, "", 7, invalid},
      // The signature's address is the address followed by ".sig", query and
      // all; this server answers it with the program itself.
      {"address with a query", Signature::kGood, "?build=2", 7, invalid},
  };
  const std::string pem = test::DemoKeyPem();
  const std::string previous = "#!/bin/sh\nexit 0\n# previous version\n";
  const std::string oldSignature = SignDetached(previous, pem);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder scratch;
    const fs::path downloads = scratch.Path() / "downloads";
    const fs::path app = scratch.Path() / "app";
    fs::create_directories(downloads);
    fs::create_directories(app);
    // The new program leaves a mark when it runs; larger than a signature may be.
    const fs::path mark = scratch.Path() / "started";
    std::string program = "#!/bin/sh\necho started > '" + mark.string() + "'\n";
    program.resize(6000, '#');
    WriteFile(downloads / "lark-bay", program);
    const fs::path servedSignature = downloads / "lark-bay.sig";
    switch (c.signature) {
      case Signature::kGood:
        WriteFile(servedSignature, SignDetached(program, pem));
        break;
      case Signature::kNone:
        break;
      case Signature::kEmpty:
        WriteFile(servedSignature, "");
        break;
      case Signature::kOtherKey:
        WriteFile(servedSignature, SignDetached(program, test::kOtherKeyPem));
        break;
      case Signature::kOlderFile:
        WriteFile(servedSignature, oldSignature);
        break;
      case Signature::kGarbage:
        WriteFile(servedSignature, "not a signature at all\n");
        break;
      case Signature::kTooLarge:
        WriteFile(servedSignature, SignDetached(program, pem) + std::string(5000, ' '));
        break;
    }
    const fs::path target = app / "lark-bay";
    WriteFile(target, previous);
    fs::permissions(target, fs::perms(0755));
    WriteFile(target.string() + ".sig", oldSignature);
    ServerProcess server(downloads);
    ASSERT_TRUE(server.Ready()) << server.Output();

    UpdaterRecord record;
    record.processId = CurrentProcessId();
    record.address = server.Base() + "/download/lark-bay" + c.query;
    record.saveFolder = app.string() + "/";
    record.fileName = "lark-bay";
    record.startProgram = target.string();
    const fs::path recordFile = scratch.Path() / "program_updata_config";
    ASSERT_TRUE(WriteUpdaterRecord(recordFile.string(), record));

    const RunResult run = RunUpdater(scratch.Path(), {"--record", recordFile.string()});
    const std::string signatureUrl = record.address + ".sig";
    EXPECT_EQ(run.exitCode, c.code) << Describe(run);
    EXPECT_TRUE(LeftoverDownloads(app).empty());
    if (c.code == 0) {
      EXPECT_TRUE(ReadFile(target) == program);
      EXPECT_EQ(ReadFile(target.string() + ".sig"), ReadFile(servedSignature));
      EXPECT_NE(run.out.find("updater: 签名有效：" + signatureUrl + "\n"), std::string::npos)
          << run.out;
      EXPECT_EQ(run.err, "");
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
      while (!fs::exists(mark) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      EXPECT_TRUE(fs::exists(mark)) << "the new program ran";
      continue;
    }
    std::string failure = c.failure;
    failure.replace(failure.find("<sig>"), 5, signatureUrl);
    EXPECT_EQ(run.err, "updater: " + failure + "\n");
    EXPECT_TRUE(ReadFile(target) == previous) << "old file byte for byte";
    EXPECT_EQ(ModeOf(target), fs::perms(0755));
    EXPECT_EQ(ReadFile(target.string() + ".sig"), oldSignature) << "old signature byte for byte";
    EXPECT_EQ(run.out.find("签名有效"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("已保存"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("已启动"), std::string::npos) << run.out;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(fs::exists(mark)) << "nothing ran";
  }
}

TEST(UpdaterRun, ReplacesTheRunningProgramEndsItAndStartsTheNewOne) {
  TempFolder scratch;
  const fs::path downloads = scratch.Path() / "downloads";
  const fs::path app = scratch.Path() / "app";
  const fs::path data = scratch.Path() / "data";
  for (const fs::path& folder : {downloads, app, data}) fs::create_directories(folder);

  // The running "program" and the new build the server holds (the probe's
  // bytes with a marker appended, so the replacement shows).
  const fs::path program = app / "lark-bay";
  CopyExecutable(LARKBAY_RESTART_PROBE, program);
  const std::string newBuild = ReadFile(LARKBAY_RESTART_PROBE) + "\nnew build\n";
  WriteSigned(downloads / "lark-bay", newBuild);
  const fs::path log = program.string() + ".log";

  Child running({program.string()});
  ASSERT_GT(running.Pid(), 0);
  const std::vector<ProcessId> first = WaitForStarts(log, 1);
  ASSERT_EQ(first.size(), 1u);
  ASSERT_EQ(first[0], static_cast<ProcessId>(running.Pid()));

  ServerProcess server(downloads);
  ASSERT_TRUE(server.Ready()) << server.Output();

  // Started without arguments, it reads the record beside its own file.
  const fs::path updater = data / "Update.exe";
  CopyExecutable(LARKBAY_UPDATER_BINARY, updater);
  UpdaterRecord record;
  record.processId = static_cast<ProcessId>(running.Pid());
  record.address = server.Base() + "/go/lark-bay";
  record.saveFolder = app.string() + "/";
  record.fileName = "lark-bay";
  record.startProgram = program.string();
  ASSERT_TRUE(WriteUpdaterRecord((data / "program_updata_config").string(), record));

  const RunResult run = RunUpdater(scratch.Path(), {}, updater.string());
  const std::vector<ProcessId> starts = WaitForStarts(log, 2);
  for (size_t i = 1; i < starts.size(); ++i) EndStarted(starts[i], program);

  EXPECT_EQ(run.exitCode, 0) << Describe(run);
  EXPECT_TRUE(ReadFile(program) == newBuild);
  EXPECT_EQ(ModeOf(program), fs::perms(0755));
  const int status = running.WaitFor(std::chrono::seconds(1));
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the old program was ended";
  EXPECT_NE(
      run.out.find("updater: 已关闭旧程序（进程 " + std::to_string(record.processId) + "）\n"),
      std::string::npos)
      << run.out;
  ASSERT_EQ(starts.size(), 2u) << "the new program logged its start\n" << Describe(run);
  EXPECT_NE(starts[1], first[0]);
  EXPECT_TRUE(LeftoverDownloads(app).empty());
}

TEST(UpdaterRun, LeavesAProcessOfAnotherProgramRunning) {
  TempFolder scratch;
  const fs::path downloads = scratch.Path() / "downloads";
  const fs::path app = scratch.Path() / "app";
  fs::create_directories(downloads);
  fs::create_directories(app);
  WriteSigned(downloads / "lark-bay", QuickScript(2000));
  ServerProcess server(downloads);
  ASSERT_TRUE(server.Ready()) << server.Output();

  Child other({"/bin/sleep", "30"});
  ASSERT_GT(other.Pid(), 0);
  UpdaterRecord record;
  record.processId = static_cast<ProcessId>(other.Pid());
  record.address = server.Base() + "/download/lark-bay";
  record.saveFolder = app.string();  // without the trailing "/"
  record.fileName = "lark-bay";
  record.startProgram = (app / "lark-bay").string();
  const fs::path recordFile = scratch.Path() / "record";
  ASSERT_TRUE(WriteUpdaterRecord(recordFile.string(), record));

  const RunResult run = RunUpdater(scratch.Path(), {"--record", recordFile.string()});
  EXPECT_EQ(run.exitCode, 0) << Describe(run);
  EXPECT_TRUE(ReadFile(app / "lark-bay") == QuickScript(2000));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(IsProcessRunning(record.processId)) << "sleep was not ended";
  EXPECT_NE(run.out.find("运行的不是 " + record.startProgram + "，不关闭"), std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find("已关闭旧程序"), std::string::npos) << run.out;
}

TEST(UpdaterRun, RefusesBadRecordsAndArgumentsWithoutTouchingAnything) {
  TempFolder scratch;
  const fs::path app = scratch.Path() / "app";
  fs::create_directories(app);
  const fs::path target = app / "lark-bay";
  WriteFile(target, "previous version\n");
  // Nothing listens here: a record that got past the checks would fail later
  // with exit code 3, not 1.
  const std::string address = "http://127.0.0.1:9/download/lark-bay";
  const std::string folder = app.string() + "/";
  const std::string pid = std::to_string(CurrentProcessId());

  struct BadRecord {
    const char* name;
    std::string bytes;  // "" with `write` false: no record file at all
    bool write;
  };
  const std::vector<BadRecord> cases = {
      {"missing", "", false},
      {"empty", "", true},
      {"four fields", pid + "|" + address + "|" + folder + "|lark-bay", true},
      {"pid zero", "0|" + address + "|" + folder + "|lark-bay|" + target.string(), true},
      {"pid not a number", "x|" + address + "|" + folder + "|lark-bay|" + target.string(), true},
      {"empty address", pid + "||" + folder + "|lark-bay|" + target.string(), true},
      {"file name leaves the folder",
       pid + "|" + address + "|" + folder + "|../lark-bay|" + target.string(), true},
      {"folder not a full path", pid + "|" + address + "|app/|lark-bay|" + target.string(), true},
  };
  const fs::path recordFile = scratch.Path() / "program_updata_config";
  for (const BadRecord& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(recordFile);
    if (c.write) WriteFile(recordFile, c.bytes);
    const RunResult run = RunUpdater(scratch.Path(), {"--record", recordFile.string()});
    EXPECT_EQ(run.exitCode, 1) << Describe(run);
    EXPECT_TRUE(run.err.starts_with("updater: ")) << run.err;
    EXPECT_EQ(run.out.find("正在下载"), std::string::npos) << run.out;
    EXPECT_EQ(ReadFile(target), "previous version\n");
  }
  EXPECT_FALSE(fs::exists(scratch.Path() / "lark-bay"));

  const RunResult usage = RunUpdater(scratch.Path(), {"--frobnicate"});
  EXPECT_EQ(usage.exitCode, 2) << Describe(usage);
  EXPECT_NE(usage.err.find("不认识的参数：--frobnicate\n"), std::string::npos) << usage.err;
  EXPECT_NE(usage.err.find("用法：Update.exe"), std::string::npos) << usage.err;
}

TEST(UpdaterRun, ReportsAProgramThatCannotBeStarted) {
  TempFolder scratch;
  const fs::path downloads = scratch.Path() / "downloads";
  const fs::path app = scratch.Path() / "app";
  fs::create_directories(downloads);
  fs::create_directories(app);
  WriteSigned(downloads / "Enginepack", "engine pack bytes");
  ServerProcess server(downloads);
  ASSERT_TRUE(server.Ready()) << server.Output();

  UpdaterRecord record;
  record.processId = CurrentProcessId();
  record.address = server.Base() + "/download/Enginepack";
  record.saveFolder = app.string() + "//";
  record.fileName = "Enginepack";
  record.startProgram = (app / "no-such-program").string();
  const fs::path recordFile = scratch.Path() / "record";
  ASSERT_TRUE(WriteUpdaterRecord(recordFile.string(), record));

  const RunResult run = RunUpdater(scratch.Path(), {"--record", recordFile.string()});
  EXPECT_EQ(run.exitCode, 5) << Describe(run);
  EXPECT_EQ(ReadFile(app / "Enginepack"), "engine pack bytes");
  EXPECT_EQ(ModeOf(app / "Enginepack"), fs::perms(0644));
  EXPECT_EQ(run.err, "updater: 无法启动 " + app.string() + "/no-such-program\n");
  // The folder written with a doubled "/" is shown with one.
  EXPECT_NE(run.out.find("updater: 已保存：" + app.string() + "/Enginepack\n"), std::string::npos)
      << run.out;
}

}  // namespace
}  // namespace larkbay
