// The updater kept current and the hand-over to it, end to end: the reference
// server hands out the real updater and a "program" (a probe that logs its
// starts), the step installs the updater and starts it, the updater replaces
// the running probe, ends it and starts the new one.
#include "remote/self_update.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/processes.h"
#include "remote/program_config.h"
#include "remote/remote_paths.h"
#include "remote/updater_record.h"
#include "services/text/text_helpers.h"
#include "signed_files.h"
#include "step_fixture.h"

namespace larkbay::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr char kNewVersion[] = "1700000000";

bool Executable(const fs::path& file) { return ::access(file.c_str(), X_OK) == 0; }

// `from` copied to `to`, runnable, with its release signature beside it.
void CopySigned(const fs::path& from, const fs::path& to) {
  fs::copy_file(from, to);
  WriteSigned(to, ReadFile(from));
}

template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds limit = 10s) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(50ms);
  }
  return true;
}

// Starts `program` and answers its pid; the child is reaped when it ends.
pid_t StartChild(const fs::path& program) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  return pid;
}

void Reap(pid_t pid) {
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
}

// A downloads folder with the real updater and a program file, and a server
// announcing `version` for the program.
struct UpdateServer {
  explicit UpdateServer(std::string version, std::vector<std::string> extra = {},
                        bool withProgram = true) {
    CopySigned(LARKBAY_UPDATER_BINARY, downloads.Path() / "Update.exe");
    if (withProgram) CopySigned(LARKBAY_PROBE_BINARY, downloads.Path() / "lark-bay");
    extra.insert(extra.begin(), {"--main-version", std::move(version)});
    server = std::make_unique<ServerProcess>(downloads.Path(), extra);
  }
  TempFolder downloads;
  std::unique_ptr<ServerProcess> server;
};

void Configure(StepFixture& f) {
  StepContext context = f.Context();
  ASSERT_TRUE(FetchProgramConfig(context));
}

TEST(SelfUpdate, UpdaterIsReplacedOnlyByADownloadWithTheAnnouncedDigest) {
  UpdateServer good("1600584000");
  ASSERT_TRUE(good.server->Ready()) << good.server->Output();
  StepFixture f(good.server->Base());
  Configure(f);
  StepContext context = f.Context();
  const fs::path updater = f.File(kUpdaterFile);
  const std::string served = ReadFile(LARKBAY_UPDATER_BINARY);

  // Missing, then wrong: replaced by the served updater, ready to start.
  for (const char* before : {"", "an old updater"}) {
    SCOPED_TRACE(before);
    if (*before) WriteFile(updater, before);
    EXPECT_TRUE(UpdateUpdater(context));
    EXPECT_EQ(ReadFile(updater), served);
    EXPECT_TRUE(Executable(updater));
  }
  // Current: left as it is.
  const auto written = fs::last_write_time(updater);
  EXPECT_TRUE(UpdateUpdater(context));
  EXPECT_EQ(fs::last_write_time(updater), written);
  // The announced digest without its signature beside it is fetched again.
  fs::remove(updater.string() + ".sig");
  EXPECT_TRUE(UpdateUpdater(context));
  EXPECT_TRUE(fs::exists(updater.string() + ".sig"));

  // A server that offers the updater unsigned or wrongly signed: the old file
  // stays, whatever the digest.
  for (const char* signature : std::initializer_list<const char*>{"", "a bad signature", nullptr}) {
    SCOPED_TRACE(signature ? signature : "none");
    UpdateServer unsigned_("1600584000");
    const fs::path served_sig = unsigned_.downloads.Path() / "Update.exe.sig";
    if (signature) {
      WriteFile(served_sig, signature);
    } else {
      fs::remove(served_sig);
    }
    ASSERT_TRUE(unsigned_.server->Ready());
    StepFixture u(unsigned_.server->Base());
    Configure(u);
    StepContext step = u.Context();
    WriteFile(u.File(kUpdaterFile), "an old updater");
    EXPECT_FALSE(UpdateUpdater(step));
    EXPECT_EQ(ReadFile(u.File(kUpdaterFile)), "an old updater");
  }

  // Announced digests that no download has: the old file stays.
  UpdateServer lying("1600584000", {"--fault", "badsum"});
  ASSERT_TRUE(lying.server->Ready());
  StepFixture g(lying.server->Base());
  Configure(g);
  StepContext badsum = g.Context();
  WriteFile(g.File(kUpdaterFile), "an old updater");
  EXPECT_FALSE(UpdateUpdater(badsum));
  EXPECT_EQ(ReadFile(g.File(kUpdaterFile)), "an old updater");
}

// An installed program's own updater serves when it is the announced one: no
// download; one of another digest does not.
TEST(SelfUpdate, TheInstalledUpdaterServesWhenItIsTheAnnouncedOne) {
  UpdateServer server("1600584000");
  ASSERT_TRUE(server.server->Ready()) << server.server->Output();
  StepFixture f(server.server->Base());
  Configure(f);
  TempFolder bundle;
  CopySigned(LARKBAY_UPDATER_BINARY, bundle.Path() / "Update.exe");
  StepContext context = f.Context();
  context.bundledDir = bundle.Path().string() + "/";
  EXPECT_TRUE(UpdateUpdater(context));
  EXPECT_EQ(ReadFile(f.File(kUpdaterFile)), ReadFile(LARKBAY_UPDATER_BINARY));
  EXPECT_TRUE(Executable(f.File(kUpdaterFile)));
  EXPECT_EQ(server.server->Output().find("/Update.exe"), std::string::npos)
      << server.server->Output();

  WriteFile(bundle.Path() / "Update.exe", "an updater of another build");
  fs::remove(f.File(kUpdaterFile));
  EXPECT_TRUE(UpdateUpdater(context));
  EXPECT_EQ(ReadFile(f.File(kUpdaterFile)), ReadFile(LARKBAY_UPDATER_BINARY));
  EXPECT_NE(server.server->Output().find("GET /download/Update.exe 200"), std::string::npos)
      << server.server->Output();
}

TEST(SelfUpdate, CurrentVersionAndMissingEntriesHandNothingOver) {
  UpdateServer server("1600584000");
  ASSERT_TRUE(server.server->Ready());
  StepFixture f(server.server->Base());
  Configure(f);
  StepContext context = f.Context();
  EXPECT_TRUE(UpdateProgram(context));
  EXPECT_EQ(f.state.appState.LatestVersionNumber, 1600584000);
  EXPECT_FALSE(fs::exists(f.File(kUpdaterRecordFile)));
  EXPECT_TRUE(f.sleeps.empty());

  ASSERT_TRUE(f.state.ProgramConfig.Parse(R"({"DJ":{}})"));
  EXPECT_FALSE(UpdateUpdater(context));
  EXPECT_FALSE(UpdateProgram(context));
  ASSERT_TRUE(f.state.ProgramConfig.Parse(R"({"Program":{"Updata":{}}})"));
  EXPECT_FALSE(UpdateProgram(context));
  EXPECT_TRUE(f.controls.MessageBoxes().empty());
  EXPECT_EQ(f.ends, 0);
}

// An older release is never installed, and a program the package manager or
// another user keeps is never handed to the updater: the start goes on.
TEST(SelfUpdate, OlderVersionsAndPackagedProgramsAreNotHandedOver) {
  for (const bool packaged : {false, true}) {
    SCOPED_TRACE(packaged ? "packaged program" : "older version");
    UpdateServer server(packaged ? kNewVersion : "1500000000");
    ASSERT_TRUE(server.server->Ready());
    StepFixture f(server.server->Base());
    Configure(f);
    CopySigned(LARKBAY_PROBE_BINARY, f.File(kUpdaterFile));
    TempFolder install;
    WriteFile(install.Path() / "lark-bay", "the running program");
    StepContext context = f.Context();
    context.program = {1, install.Path().string(), "lark-bay"};
    context.state.appState.VersionNumber = 1600584000;
    TempFolder dpkg;
    context.packageFileList = (dpkg.Path() / "lark-bay.list").string();
    WriteFile(context.packageFileList,
              "/.\n/usr\n" + (packaged ? (install.Path() / "lark-bay").string() : "/usr/bin/x") + "\n");
    EXPECT_EQ(UpdateProgram(context), !packaged);
    EXPECT_FALSE(fs::exists(f.File(kUpdaterRecordFile)));
    EXPECT_TRUE(f.sleeps.empty());
    EXPECT_TRUE(f.controls.MessageBoxes().empty());
    EXPECT_EQ(f.ends, 0);
    EXPECT_FALSE(fs::exists(f.File(kUpdaterFile).string() + ".log")) << "no updater started";
  }
}

TEST(SelfUpdate, NewVersionWithoutAddressEndsTheProgram) {
  UpdateServer server(kNewVersion, {}, false);
  ASSERT_TRUE(server.server->Ready());
  StepFixture f(server.server->Base());
  Configure(f);
  StepContext context = f.Context();
  EXPECT_FALSE(UpdateProgram(context));
  ASSERT_EQ(f.controls.MessageBoxes().size(), 1u);
  EXPECT_EQ(f.controls.MessageBoxes()[0].title, "更新错误");
  EXPECT_EQ(f.controls.MessageBoxes()[0].text,
            "【主程序】发现新版本，但是更新地址失效，请到群内更新。");
  EXPECT_EQ(f.ends, 1);
}

TEST(SelfUpdate, NewVersionHandsOverOnceAndTheUpdaterRestartsTheProgram) {
  UpdateServer server(kNewVersion);
  ASSERT_TRUE(server.server->Ready()) << server.server->Output();
  StepFixture f(server.server->Base());
  Configure(f);

  // The running "program": a probe copied into a folder of its own.
  TempFolder install;
  const fs::path program = install.Path() / "lark-bay";
  fs::copy_file(LARKBAY_PROBE_BINARY, program);
  WriteFile(install.Path() / "marker", "old build");
  const pid_t running = StartChild(program);
  const fs::path log = program.string() + ".log";
  ASSERT_TRUE(WaitFor([&] { return fs::exists(log); }));

  StepContext context = f.Context();
  context.program = {static_cast<ProcessId>(running), install.Path().string(), "lark-bay"};
  // The record as the updater finds it: read at the first wait, before the
  // updater starts (it takes the record once it has read it).
  UpdaterRecord record;
  bool recordRead = false;
  context.sleep = [&](std::chrono::milliseconds wait) {
    if (f.sleeps.empty()) recordRead = ReadUpdaterRecord(f.File(kUpdaterRecordFile), record);
    f.sleeps.push_back(wait);
  };
  ASSERT_TRUE(UpdateUpdater(context));
  EXPECT_FALSE(UpdateProgram(context));
  EXPECT_EQ(f.state.appState.LatestVersionNumber, 1700000000);
  EXPECT_EQ(f.sleeps, (std::vector<std::chrono::milliseconds>{200ms, 200ms, 5000ms}));

  ASSERT_TRUE(recordRead);
  EXPECT_EQ(record.processId, static_cast<ProcessId>(running));
  EXPECT_EQ(record.address,
            server.server->Base() + "/download/lark-bay");  // the address the redirect leads to
  EXPECT_EQ(record.saveFolder, install.Path().string() + "/");
  EXPECT_EQ(record.fileName, "lark-bay");
  EXPECT_EQ(record.startProgram, program.string());

  // The updater ends the old copy and starts the new one.
  int status = 0;
  ASSERT_TRUE(WaitFor([&] { return ::waitpid(running, &status, WNOHANG) == running; }, 20s));
  EXPECT_TRUE(WIFSIGNALED(status));
  std::string started;
  ASSERT_TRUE(WaitFor([&] {
    started = ReadFile(log);
    return std::count(started.begin(), started.end(), '\n') >= 2;
  }));
  EXPECT_EQ(ReadFile(program), ReadFile(LARKBAY_PROBE_BINARY));
  EXPECT_TRUE(Executable(program));
  const ProcessId restarted =
      static_cast<ProcessId>(std::stoul(started.substr(started.rfind("started ") + 8)));
  EXPECT_TRUE(IsProcessRunning(restarted));
  KillProcess(restarted, true);
  EXPECT_EQ(fs::file_size(f.File(kUpdaterRecordFile)), 0u) << "the updater took the record";

  // The same announcement at the next start: no second hand-over.
  f.sleeps.clear();
  fs::remove(f.File(kUpdaterRecordFile));
  StepContext next = f.Context();
  EXPECT_FALSE(UpdateProgram(next));
  EXPECT_TRUE(f.sleeps.empty());
  EXPECT_FALSE(fs::exists(f.File(kUpdaterRecordFile)));
  EXPECT_EQ(f.ends, 0);
}

// The pid a probe logged as its start in `log` after `after` lines (0 when
// none came).
ProcessId LoggedStart(const fs::path& log, size_t after) {
  ProcessId id = 0;
  WaitFor([&] {
    const std::string text = ReadFile(log);
    if (static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) <= after) return false;
    size_t at = 0;
    for (size_t line = 0; line < after; ++line) at = text.find('\n', at) + 1;
    id = static_cast<ProcessId>(std::stoul(text.substr(at + 8)));
    return true;
  });
  return id;
}

// Starts `program` with `args` as the user nobody; -1 when it cannot.
pid_t StartAsNobody(const fs::path& program, const std::vector<std::string>& args) {
  std::vector<std::string> text{program.string()};
  text.insert(text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : text) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0)
      ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  return pid;
}

// A process called Update.exe that this program did not start, another
// user's, or one whose id now runs another file is left alone; the updater an
// earlier hand-over started is ended.
TEST(SelfUpdate, HandOverEndsOnlyTheUpdaterThisRunStarted) {
  StepFixture f("http://127.0.0.1:9");
  const fs::path updater = f.File(kUpdaterFile);
  CopySigned(LARKBAY_PROBE_BINARY, updater);
  const fs::path log = updater.string() + ".log";
  TempFolder elsewhere;
  const fs::path sameName = elsewhere.Path() / "Update.exe";
  fs::copy_file(LARKBAY_PROBE_BINARY, sameName);
  // Strangers: the same name elsewhere, and the data folder's updater itself.
  const pid_t stranger = StartChild(sameName);
  ASSERT_TRUE(WaitFor([&] { return fs::exists(sameName.string() + ".log"); }));
  const pid_t byHand = StartChild(updater);
  ASSERT_EQ(LoggedStart(log, 0), static_cast<ProcessId>(byHand));

  StepContext context = f.Context();
  ASSERT_TRUE(HandOverToUpdater(context, "http://127.0.0.1:9/a", "/tmp/", "a", 0ms));
  const ProcessId first = context.startedUpdater;
  EXPECT_EQ(LoggedStart(log, 1), first);
  ASSERT_TRUE(HandOverToUpdater(context, "http://127.0.0.1:9/b", "/tmp/", "b", 0ms));
  const ProcessId second = context.startedUpdater;
  EXPECT_EQ(LoggedStart(log, 2), second);
  EXPECT_TRUE(WaitFor([&] { return !IsProcessRunning(first); })) << "the first updater ended";
  EXPECT_TRUE(IsProcessRunning(second));

  // An id kept from a start that now names another program of that name.
  context.startedUpdater = static_cast<ProcessId>(stranger);
  EndStartedUpdater(context);
  EXPECT_EQ(context.startedUpdater, 0u);
  // Another user's process running this very file.
  if (::geteuid() == 0) {
    TempFolder sleeperData;
    fs::permissions(sleeperData.Path(), fs::perms(0755));
    fs::copy_file("/bin/sleep", sleeperData.Path() / "Update.exe");
    const pid_t foreign = StartAsNobody(sleeperData.Path() / "Update.exe", {"30"});
    ASSERT_TRUE(WaitFor([&] {
      return IsSameExecutable(static_cast<ProcessId>(foreign),
                              (sleeperData.Path() / "Update.exe").string());
    }));
    StepContext theirs = f.Context();
    theirs.dataDir = sleeperData.Path().string() + "/";
    theirs.startedUpdater = static_cast<ProcessId>(foreign);
    EndStartedUpdater(theirs);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(::waitpid(foreign, nullptr, WNOHANG), 0) << "another user's process still runs";
    Reap(foreign);
  }
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(::waitpid(stranger, nullptr, WNOHANG), 0) << "the same name elsewhere still runs";
  EXPECT_EQ(::waitpid(byHand, nullptr, WNOHANG), 0) << "an updater this run did not start";
  Reap(stranger);
  Reap(byHand);
  KillProcess(second, true);
}

// A record that cannot be written whole would leave the updater the previous
// one: nothing is started, and no wait is made.
TEST(SelfUpdate, HandOverWithoutAWholeRecordStartsNothing) {
  struct Case {
    const char* name;
    std::string address;
    bool blockRecord;  // a folder where the record goes
  };
  const std::vector<Case> cases = {
      {"address with a bar", "http://127.0.0.1:9/a|b", false},
      {"record cannot be written", "http://127.0.0.1:9/a", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StepFixture f("http://127.0.0.1:9");
    CopySigned(LARKBAY_PROBE_BINARY, f.File(kUpdaterFile));
    const std::string previous = "1|http://127.0.0.1:9/old|/tmp/|old|/tmp/old";
    if (c.blockRecord) {
      fs::create_directories(f.File(kUpdaterRecordFile));
    } else {
      WriteFile(f.File(kUpdaterRecordFile), previous);
    }
    StepContext context = f.Context();
    EXPECT_FALSE(HandOverToUpdater(context, c.address, "/tmp/", "a", 200ms));
    EXPECT_TRUE(f.sleeps.empty());
    EXPECT_EQ(context.startedUpdater, 0u);
    std::this_thread::sleep_for(200ms);
    EXPECT_FALSE(fs::exists(f.File(kUpdaterFile).string() + ".log")) << "updater not started";
    if (!c.blockRecord) {
      EXPECT_EQ(ReadFile(f.File(kUpdaterRecordFile)), previous);
    }
  }
}

// The update step without a record behaves as without an address, and the
// next start tries again.
TEST(SelfUpdate, NewVersionWhoseRecordCannotBeWrittenEndsTheProgramAndIsTriedAgain) {
  UpdateServer server(kNewVersion);
  ASSERT_TRUE(server.server->Ready()) << server.server->Output();
  StepFixture f(server.server->Base());
  Configure(f);
  CopySigned(LARKBAY_PROBE_BINARY, f.File(kUpdaterFile));
  fs::create_directories(f.File(kUpdaterRecordFile));
  for (int start = 1; start <= 2; ++start) {
    SCOPED_TRACE(start);
    StepContext context = f.Context();
    EXPECT_FALSE(UpdateProgram(context));
    ASSERT_EQ(f.controls.MessageBoxes().size(), static_cast<size_t>(start));
    EXPECT_EQ(f.controls.MessageBoxes().back().text,
              "【主程序】发现新版本，但是更新地址失效，请到群内更新。");
    EXPECT_EQ(f.ends, start);
    EXPECT_TRUE(f.sleeps.empty());
  }
  EXPECT_FALSE(fs::exists(f.File(kUpdaterFile).string() + ".log"));
}

}  // namespace
}  // namespace larkbay::test
