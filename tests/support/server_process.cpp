#include "server_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>

extern char** environ;

namespace larkbay::test {
namespace {

constexpr std::string_view kReadyMark = "ready at ";

}  // namespace

ServerProcess::ServerProcess(const std::filesystem::path& downloads,
                             const std::vector<std::string>& extraArgs) {
  std::vector<std::string> args{LARKBAY_SERVER_BINARY,
                                "--port",
                                "0",
                                "--data",
                                LARKBAY_SERVER_DATA,
                                "--media",
                                TestMediaDir().string(),
                                "--vendor",
                                (downloads / "no-vendor").string(),
                                "--downloads",
                                downloads.string()};
  args.insert(args.end(), extraArgs.begin(), extraArgs.end());
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
  const int spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  if (spawned != 0) {
    pid_ = -1;
    close(pipeFds[0]);
    return;
  }

  // Read until the ready line names the port (or the server gives up).
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  std::string seen;
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd pfd{pipeFds[0], POLLIN, 0};
    if (poll(&pfd, 1, 100) <= 0) continue;
    char buffer[4096];
    const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
    if (n <= 0) break;
    seen.append(buffer, static_cast<size_t>(n));
    // "ready at http://HOST:PORT/" or "ready at https://HOST:PORT/".
    const size_t mark = seen.find(kReadyMark);
    const size_t start = mark == std::string::npos ? mark : mark + kReadyMark.size();
    const size_t hostStart = start == std::string::npos ? start : seen.find("://", start);
    const size_t end =
        hostStart == std::string::npos ? hostStart : seen.find('/', hostStart + 3);
    if (end != std::string::npos) {
      base_ = seen.substr(start, end - start);
      break;
    }
  }
  output_ = seen;
  reader_ = std::thread([this, fd = pipeFds[0]] { Drain(fd); });
}

ServerProcess::~ServerProcess() { Stop(); }

void ServerProcess::Drain(int fd) {
  char buffer[4096];
  ssize_t n;
  while ((n = read(fd, buffer, sizeof buffer)) > 0) {
    std::lock_guard lock(mutex_);
    output_.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
}

int ServerProcess::Stop() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    int status = 0;
    if (waitpid(pid_, &status, 0) == pid_ && WIFEXITED(status)) exitStatus_ = WEXITSTATUS(status);
    pid_ = -1;
  }
  if (reader_.joinable()) reader_.join();
  return exitStatus_;
}

std::string ServerProcess::Output() {
  std::lock_guard lock(mutex_);
  return output_;
}

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  path_ = std::filesystem::path(::testing::TempDir()) /
          ("larkbay-server-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void WriteFile(const std::filesystem::path& file, std::string_view bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::filesystem::path TestMediaDir() { return LARKBAY_TEST_MEDIA; }

}  // namespace larkbay::test
