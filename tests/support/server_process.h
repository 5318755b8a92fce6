#pragma once
// Runs the built lark-bay-server for a test: on a free loopback port, with the
// bundled catalogue, the media made for the tests and a downloads folder of
// the test's own; stopped with SIGTERM when the object goes.

#include <sys/types.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace larkbay::test {

class ServerProcess {
 public:
  ServerProcess(const std::filesystem::path& downloads,
                const std::vector<std::string>& extraArgs = {});
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  bool Ready() const { return !base_.empty(); }
  const std::string& Base() const { return base_; }  // "http(s)://127.0.0.1:PORT"
  // SIGTERM, then waits; the exit status (-1 when it did not exit normally).
  // Later calls give the same status.
  int Stop();
  std::string Output();  // everything the server printed so far

 private:
  void Drain(int fd);

  pid_t pid_ = -1;
  int exitStatus_ = -1;
  std::string base_;
  std::mutex mutex_;
  std::string output_;
  std::thread reader_;
};

// A fresh folder under the test temp folder, removed with the object.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

void WriteFile(const std::filesystem::path& file, std::string_view bytes);
std::string ReadFile(const std::filesystem::path& file);
std::filesystem::path TestMediaDir();

}  // namespace larkbay::test
