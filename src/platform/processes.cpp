#include "platform/processes.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>

extern char** environ;

namespace larkbay {
namespace {

constexpr std::string_view kDeletedSuffix = " (deleted)";

// Ids beyond pid_t's range would turn into process groups or "every process"
// when handed to kill(2).
bool IsValidId(ProcessId id) { return id > 0 && id <= static_cast<ProcessId>(INT_MAX); }

std::string ProcPath(ProcessId id, const char* leaf) {
  return "/proc/" + std::to_string(id) + "/" + leaf;
}

std::string ReadLink(const std::string& link) {
  std::string target(PATH_MAX, '\0');
  const ssize_t n = ::readlink(link.c_str(), target.data(), target.size());
  if (n <= 0 || static_cast<size_t>(n) >= target.size()) return {};
  target.resize(static_cast<size_t>(n));
  return target;
}

std::string WithoutDeletedSuffix(std::string path) {
  if (path.ends_with(kDeletedSuffix)) path.resize(path.size() - kDeletedSuffix.size());
  return path;
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What the children of StartProgram tell it through their pipe: the started
// program's id, or why it could not be started. Small enough to be written
// whole by one write(2).
struct StartMessage {
  enum Kind : int { kStarted, kFailed } kind;
  int value;  // the process id, or errno
};

void Tell(int fd, StartMessage::Kind kind, int value) {
  const StartMessage message{kind, value};
  [[maybe_unused]] const ssize_t ignored = ::write(fd, &message, sizeof message);
}

// In the grandchild of StartProgram, between fork and exec: only
// async-signal-safe calls. Reports errno through `errorFd` when exec fails.
[[noreturn]] void ExecDetached(const char* path, char* const* argv, char* const* envp,
                               int errorFd) {
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  struct sigaction byDefault {};
  byDefault.sa_handler = SIG_DFL;
  for (int sig = 1; sig < NSIG; ++sig) ::sigaction(sig, &byDefault, nullptr);

  // With standard descriptors closed in the caller the pipe may sit on one.
  if (errorFd <= STDERR_FILENO) {
    const int moved = ::fcntl(errorFd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    if (moved < 0) {
      Tell(errorFd, StartMessage::kFailed, errno);
      ::_exit(127);
    }
    errorFd = moved;
  }
  const int null = ::open("/dev/null", O_RDONLY);
  if (null >= 0 && null != STDIN_FILENO) {
    ::dup2(null, STDIN_FILENO);
    ::close(null);
  }
  // Descriptors of this process (sockets, locks) stay here.
  if (errorFd > 3) ::close_range(3, static_cast<unsigned>(errorFd) - 1, 0);
  ::close_range(static_cast<unsigned>(errorFd) + 1, ~0U, 0);
  ::execve(path, argv, envp != nullptr ? envp : environ);
  Tell(errorFd, StartMessage::kFailed, errno);
  ::_exit(127);
}

std::string_view EntryName(std::string_view entry) { return entry.substr(0, entry.find('=')); }

// This process's environment with `extra` put in (an entry of the same name
// replaced), or nothing without extra entries.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& extra) {
  std::vector<std::string> entries;
  if (extra.empty()) return entries;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view name = EntryName(*entry);
    bool replaced = false;
    for (const std::string& added : extra) replaced = replaced || EntryName(added) == name;
    if (!replaced) entries.emplace_back(*entry);
  }
  entries.insert(entries.end(), extra.begin(), extra.end());
  return entries;
}

std::mutex handOnMutex;
std::vector<std::string> handOn;

}  // namespace

void SetHandOnEnvironment(std::vector<std::string> entries) {
  const std::lock_guard lock(handOnMutex);
  handOn = std::move(entries);
}

std::vector<std::string> HandOnEnvironment() {
  const std::lock_guard lock(handOnMutex);
  return handOn;
}

ProcessId CurrentProcessId() { return static_cast<ProcessId>(::getpid()); }

bool IsProcessRunning(ProcessId id) {
  if (!IsValidId(id)) return false;
  std::ifstream status(ProcPath(id, "status"));
  if (!status) return false;
  bool zombie = false;
  bool isProcess = false;
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("State:")) {
      zombie = line.find("Z (zombie)") != std::string::npos ||
               line.find("X (dead)") != std::string::npos;
    } else if (line.starts_with("Tgid:")) {
      // A thread id also has an entry under /proc; only a process's own id counts.
      isProcess = std::strtoul(line.c_str() + 5, nullptr, 10) == id;
    }
  }
  return isProcess && !zombie;
}

std::string ProcessExecutable(ProcessId id) {
  if (!IsValidId(id)) return {};
  return ReadLink(ProcPath(id, "exe"));
}

std::string OwnExecutablePath() { return ReadLink("/proc/self/exe"); }

bool IsSameExecutable(ProcessId id, const std::string& executablePath) {
  if (executablePath.empty() || !IsProcessRunning(id)) return false;
  const std::string exe = ProcessExecutable(id);
  if (exe.empty()) return false;
  struct stat running {};
  struct stat wanted {};
  if (::stat(ProcPath(id, "exe").c_str(), &running) == 0 &&
      ::stat(executablePath.c_str(), &wanted) == 0 && running.st_dev == wanted.st_dev &&
      running.st_ino == wanted.st_ino) {
    return true;
  }
  std::string wantedPath = WithoutDeletedSuffix(executablePath);
  if (char resolved[PATH_MAX]; ::realpath(wantedPath.c_str(), resolved) != nullptr) {
    wantedPath = resolved;
  }
  return WithoutDeletedSuffix(exe) == wantedPath;
}

std::vector<ProcessId> ProcessesByExecutableName(std::string_view name) {
  std::vector<ProcessId> found;
  if (name.empty()) return found;
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return found;
  while (const dirent* entry = ::readdir(proc)) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(entry->d_name, &end, 10);
    if (end == entry->d_name || *end != '\0' || value > INT_MAX) continue;
    const auto id = static_cast<ProcessId>(value);
    if (!IsProcessRunning(id)) continue;
    std::string exeName;
    if (const std::string exe = ProcessExecutable(id); !exe.empty()) {
      exeName = BaseName(WithoutDeletedSuffix(exe));
    } else if (name.size() <= 15) {
      // No access to the executable: the kernel's short name (15 bytes) is all
      // there is, and it is exact only for names that fit.
      std::ifstream comm(ProcPath(id, "comm"));
      std::getline(comm, exeName);
    }
    if (exeName == name) found.push_back(id);
  }
  ::closedir(proc);
  return found;
}

bool KillProcess(ProcessId id, bool useGivenId) {
  if (!useGivenId || id == CurrentProcessId()) {
    std::fflush(nullptr);
    std::_Exit(0);
  }
  if (!IsValidId(id)) return false;
  return ::kill(static_cast<pid_t>(id), SIGKILL) == 0;
}

ProcessId StartProgram(const std::string& path, const std::vector<std::string>& args,
                       const std::vector<std::string>& extraEnvironment) {
  if (path.empty()) return 0;
  // Everything the children need is made before fork: after it only
  // async-signal-safe calls are allowed (the caller may have threads).
  std::vector<std::string> argvText{path};
  argvText.insert(argvText.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argvText) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<std::string> envText = EnvironmentWith(extraEnvironment);
  std::vector<char*> envp;
  for (std::string& entry : envText) envp.push_back(entry.data());
  envp.push_back(nullptr);

  // The middle child tells the program's id; the write end closes on a
  // successful exec, and a failed exec tells errno.
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return 0;
  const pid_t middle = ::fork();
  if (middle < 0) {
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    return 0;
  }
  if (middle == 0) {
    ::close(pipeFds[0]);
    ::setsid();
    const pid_t program = ::fork();
    if (program == 0)
      ExecDetached(path.c_str(), argv.data(), envText.empty() ? nullptr : envp.data(), pipeFds[1]);
    if (program < 0) {
      Tell(pipeFds[1], StartMessage::kFailed, errno);
    } else {
      Tell(pipeFds[1], StartMessage::kStarted, program);
    }
    // The program is handed to init (or the nearest subreaper).
    ::_exit(0);
  }
  ::close(pipeFds[1]);
  int status = 0;
  while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
  }
  // Until EOF: both children have spoken or gone.
  ProcessId started = 0;
  bool failed = false;
  for (;;) {
    StartMessage message{};
    const ssize_t n = ::read(pipeFds[0], &message, sizeof message);
    if (n < 0 && errno == EINTR) continue;
    if (n != static_cast<ssize_t>(sizeof message)) break;
    if (message.kind == StartMessage::kStarted && message.value > 0) {
      started = static_cast<ProcessId>(message.value);
    } else {
      failed = true;
    }
  }
  ::close(pipeFds[0]);
  return failed ? 0 : started;
}

bool IsOwnedByThisUser(ProcessId id) {
  if (!IsValidId(id)) return false;
  std::ifstream status(ProcPath(id, "status"));
  std::string line;
  while (std::getline(status, line)) {
    if (!line.starts_with("Uid:")) continue;
    // Real, effective, saved and file-system user: all of them ours.
    std::istringstream uids(line.substr(4));
    const auto own = static_cast<unsigned long>(::geteuid());
    unsigned long uid = 0;
    int count = 0;
    while (uids >> uid) {
      if (uid != own) return false;
      ++count;
    }
    return count == 4;
  }
  return false;
}

bool EndStartedProgram(ProcessId id, const std::string& executablePath) {
  if (!IsValidId(id) || id == CurrentProcessId()) return false;
  // Held from before the checks to the signal: the id cannot come to name
  // another process in between.
  // (Called through syscall(2): glibc 2.36's <sys/pidfd.h> is not C++-ready.)
  const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(id), 0U));
  if (pidfd < 0) return false;
  const bool ours = IsSameExecutable(id, executablePath) && IsOwnedByThisUser(id);
  const bool ended = ours && ::syscall(SYS_pidfd_send_signal, pidfd, SIGKILL, nullptr, 0U) == 0;
  ::close(pidfd);
  return ended;
}

int RunProgram(const std::string& path, const std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(path.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace larkbay
