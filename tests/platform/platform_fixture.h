#pragma once
// Shared pieces of the platform tests: a private temporary folder, environment
// variables restored afterwards, and child processes that are always reaped.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace larkbay::test {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "larkbay-plat-XXXXXX").string();
    char* made = ::mkdtemp(pattern.data());
    char resolved[PATH_MAX];
    path_ = (made != nullptr && ::realpath(made, resolved) != nullptr) ? resolved : pattern;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // The folder, with a trailing "/".
  std::string path() const { return path_ + "/"; }

 private:
  std::string path_;
};

class ScopedEnv {
 public:
  ScopedEnv() = default;
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;
  ~ScopedEnv() {
    for (const auto& [name, old] : saved_) {
      if (old) {
        ::setenv(name.c_str(), old->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
  }
  // value nullopt: unset.
  void Set(const std::string& name, std::optional<std::string> value) {
    if (!saved_.contains(name)) {
      const char* old = std::getenv(name.c_str());
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value) {
      ::setenv(name.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(name.c_str());
    }
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

// A child process owned by the test: killed and reaped at the end.
class Child {
 public:
  // A copy of this test program, waiting to be killed.
  static Child ForkWaiting() {
    Child child;
    child.pid_ = ::fork();
    if (child.pid_ == 0) {
      for (;;) ::pause();
    }
    return child;
  }
  static Child Spawn(const std::vector<std::string>& argv) {
    Child child;
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) == 0) {
      child.pid_ = pid;
    }
    return child;
  }
  // A child started otherwise (-1 for none).
  static Child Adopt(pid_t pid) {
    Child child;
    child.pid_ = pid;
    return child;
  }
  Child() = default;
  Child(Child&& other) noexcept : pid_(other.pid_), status_(other.status_) { other.pid_ = -1; }
  Child& operator=(Child&& other) noexcept {
    if (this != &other) {
      if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        Wait();
      }
      pid_ = other.pid_;
      status_ = other.status_;
      other.pid_ = -1;
    }
    return *this;
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      Wait();
    }
  }
  pid_t pid() const { return pid_; }
  // Reaps the child; its wait status.
  int Wait() {
    if (pid_ > 0) {
      ::waitpid(pid_, &status_, 0);
      pid_ = -1;
    }
    return status_;
  }
  // True while the child has not ended (without reaping a running one).
  bool Alive() {
    if (pid_ <= 0) return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      status_ = status;
      pid_ = -1;
      return false;
    }
    return true;
  }

 private:
  pid_t pid_ = -1;
  int status_ = 0;
};

}  // namespace larkbay::test
