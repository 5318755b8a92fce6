#include "platform/processes.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform_fixture.h"

namespace larkbay {
namespace {

using test::Child;

std::string SleepPath() {
  for (const char* p : {"/usr/bin/sleep", "/bin/sleep"}) {
    if (std::filesystem::exists(p)) return p;
  }
  return {};
}

TEST(Processes, RunningMeansALiveProcessOfThatId) {
  EXPECT_TRUE(IsProcessRunning(CurrentProcessId()));
  for (ProcessId id : {0u, static_cast<ProcessId>(INT_MAX) + 1u, 0xFFFFFFFFu}) {
    EXPECT_FALSE(IsProcessRunning(id)) << id;
  }

  Child child = Child::ForkWaiting();
  ASSERT_GT(child.pid(), 0);
  const auto id = static_cast<ProcessId>(child.pid());
  EXPECT_TRUE(IsProcessRunning(id));
  ASSERT_EQ(::kill(child.pid(), SIGKILL), 0);
  // Dead but not reaped: a zombie is not running.
  for (int i = 0; i < 200 && IsProcessRunning(id); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_FALSE(IsProcessRunning(id));
  child.Wait();
  EXPECT_FALSE(IsProcessRunning(id));

  // A thread's id is not a process id.
  pid_t threadId = 0;
  std::thread worker([&] { threadId = ::gettid(); });
  worker.join();
  std::atomic<bool> stop{false};
  std::atomic<pid_t> liveThread{0};
  std::thread sleeper([&] {
    liveThread = ::gettid();
    while (!stop) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  });
  while (liveThread == 0) std::this_thread::yield();
  EXPECT_FALSE(IsProcessRunning(static_cast<ProcessId>(liveThread.load())));
  stop = true;
  sleeper.join();
}

TEST(Processes, SameExecutableComparesTheRunningFile) {
  const std::string own = OwnExecutablePath();
  ASSERT_FALSE(own.empty());
  EXPECT_TRUE(IsSameExecutable(CurrentProcessId(), own));

  Child copy = Child::ForkWaiting();
  Child other = Child::Spawn({"sleep", "30"});
  ASSERT_GT(copy.pid(), 0);
  ASSERT_GT(other.pid(), 0);
  EXPECT_TRUE(IsSameExecutable(static_cast<ProcessId>(copy.pid()), own));
  EXPECT_FALSE(IsSameExecutable(static_cast<ProcessId>(other.pid()), own));
  EXPECT_FALSE(IsSameExecutable(static_cast<ProcessId>(copy.pid()), ""));
  EXPECT_FALSE(IsSameExecutable(0, own));
}

TEST(Processes, ReplacedExecutableStillCountsAsTheSameProgram) {
  // A self-update replaces the file under a running copy: /proc then names the
  // old file "<path> (deleted)".
  test::TempDir dir;
  const std::string program = dir.path() + "lark-bay-sleeper";
  ASSERT_FALSE(SleepPath().empty());
  std::filesystem::copy_file(SleepPath(), program);
  Child old = Child::Spawn({program, "30"});
  ASSERT_GT(old.pid(), 0);
  const auto id = static_cast<ProcessId>(old.pid());
  EXPECT_EQ(ProcessExecutable(id), program);

  std::filesystem::remove(program);
  EXPECT_EQ(ProcessExecutable(id), program + " (deleted)");
  EXPECT_TRUE(IsSameExecutable(id, program)) << "removed";
  std::filesystem::copy_file(SleepPath(), program);
  EXPECT_TRUE(IsSameExecutable(id, program)) << "replaced";
  EXPECT_FALSE(IsSameExecutable(id, SleepPath()));
}

TEST(Processes, ListByExactExecutableName) {
  test::TempDir dir;
  const std::string program = dir.path() + "Update.exe";
  std::filesystem::copy_file(SleepPath(), program);
  Child first = Child::Spawn({program, "30"});
  Child second = Child::Spawn({program, "30"});
  ASSERT_GT(first.pid(), 0);
  ASSERT_GT(second.pid(), 0);

  std::vector<ProcessId> found = ProcessesByExecutableName("Update.exe");
  std::sort(found.begin(), found.end());
  std::vector<ProcessId> expected{static_cast<ProcessId>(first.pid()),
                                  static_cast<ProcessId>(second.pid())};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(found, expected);
  EXPECT_TRUE(ProcessesByExecutableName("Update").empty());
  EXPECT_TRUE(ProcessesByExecutableName("update.exe").empty());
  EXPECT_TRUE(ProcessesByExecutableName("").empty());
}

TEST(Processes, KillEndsTheGivenProcessOnly) {
  Child child = Child::Spawn({"sleep", "30"});
  ASSERT_GT(child.pid(), 0);
  EXPECT_TRUE(KillProcess(static_cast<ProcessId>(child.pid()), true));
  const int status = child.Wait();
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

  // Ids that kill(2) would read as a process group or as every process.
  for (ProcessId id : {0u, 0xFFFFFFFFu, static_cast<ProcessId>(INT_MAX) + 1u}) {
    EXPECT_FALSE(KillProcess(id, true)) << id;
  }
}

TEST(Processes, KillWithoutIdEndsThisProcessWithExitCodeZero) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    KillProcess(12345, false);
    ::_exit(3);  // not reached
  }
  ASSERT_GT(pid, 0);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

// Starts `argv` as the user nobody (the test runs as root); -1 when it cannot.
pid_t SpawnAsNobody(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0)
      ::execv(args[0], args.data());
    ::_exit(127);
  }
  return pid;
}

TEST(Processes, EndStartedProgramEndsOnlyOurProcessOfThatFile) {
  test::TempDir dir;
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  const std::string program = dir.path() + "Update.exe";
  std::filesystem::copy_file(SleepPath(), program);
  struct Case {
    const char* name;
    bool otherUser;
    std::string checkedPath;  // "" : the program itself
    bool ends;
  };
  const Case cases[] = {
      {"ours, running that file", false, "", true},
      {"ours, running another file", false, SleepPath(), false},
      {"ours, nothing named", false, "/nonexistent/Update.exe", false},
      {"another user's, running that file", true, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.otherUser && ::geteuid() != 0) continue;  // only root can start one
    Child child;
    if (c.otherUser) {
      child = Child::Adopt(SpawnAsNobody({program, "30"}));
    } else {
      child = Child::Spawn({program, "30"});
    }
    ASSERT_GT(child.pid(), 0);
    const auto id = static_cast<ProcessId>(child.pid());
    for (int i = 0; i < 200 && ProcessExecutable(id) != program; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(ProcessExecutable(id), program);
    EXPECT_EQ(IsOwnedByThisUser(id), !c.otherUser);
    EXPECT_EQ(EndStartedProgram(id, c.checkedPath.empty() ? program : c.checkedPath), c.ends);
    if (c.ends) {
      const int status = child.Wait();
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      EXPECT_TRUE(child.Alive());
    }
  }
  // Never this process, never an id that is no process.
  EXPECT_FALSE(EndStartedProgram(CurrentProcessId(), OwnExecutablePath()));
  EXPECT_TRUE(IsOwnedByThisUser(CurrentProcessId()));
  for (ProcessId id : {0u, 0xFFFFFFFFu}) EXPECT_FALSE(EndStartedProgram(id, program)) << id;
}

// The pid a started shell wrote into `file` (0 when none came within 5 s).
ProcessId WaitForWrittenPid(const std::string& file) {
  for (int i = 0; i < 500; ++i) {
    std::ifstream in(file);
    std::string line;
    if (std::getline(in, line) && !in.eof()) return static_cast<ProcessId>(std::stoul(line));
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return 0;
}

TEST(Processes, StartProgramRunsItDetached) {
  test::TempDir dir;
  const std::string pidFile = dir.path() + "pid";
  // A descriptor of this process without close-on-exec must not reach the program.
  const int leaked = ::open("/dev/null", O_RDONLY);
  ASSERT_GE(leaked, 0);
  const ProcessId started =
      StartProgram("/bin/sh", {"-c", "echo $$ > \"$0\"; exec sleep 30", pidFile});
  ASSERT_GT(started, 0u);
  const ProcessId id = WaitForWrittenPid(pidFile);
  ::close(leaked);
  ASSERT_GT(id, 0u);
  EXPECT_EQ(id, started) << "the id of the program itself";
  const auto pid = static_cast<pid_t>(id);
  EXPECT_TRUE(IsProcessRunning(id));

  // Its own session, standard input from /dev/null, not a child of this process.
  EXPECT_NE(::getsid(pid), ::getsid(0));
  std::error_code ec;
  EXPECT_EQ(std::filesystem::read_symlink("/proc/" + std::to_string(id) + "/fd/0", ec),
            "/dev/null");
  EXPECT_FALSE(
      std::filesystem::exists("/proc/" + std::to_string(id) + "/fd/" + std::to_string(leaked)));
  EXPECT_EQ(::waitpid(pid, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);

  ASSERT_EQ(::kill(pid, SIGKILL), 0);
  for (int i = 0; i < 300 && IsProcessRunning(id); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_FALSE(IsProcessRunning(id));
}

TEST(Processes, StartProgramFailsWhenItCannotExecute) {
  test::TempDir dir;
  const std::string plain = dir.path() + "plain";
  std::ofstream(plain) << "#!/bin/sh\nexit 0\n";
  std::filesystem::permissions(plain, std::filesystem::perms(0644));
  for (const std::string& path :
       {dir.path() + "missing", plain, dir.path(), std::string(), std::string("sh")}) {
    EXPECT_EQ(StartProgram(path), 0u) << path;
  }
  // The failed starts leave no child behind.
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

}  // namespace
}  // namespace larkbay
