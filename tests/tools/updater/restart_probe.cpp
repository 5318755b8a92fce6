// A stand-in for the client in the updater tests: notes each start in the file
// "<own path>.log" and then waits to be ended.

#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <string>

int main() {
  char own[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", own, sizeof own - 1);
  if (n <= 0) return 1;
  const std::string log = std::string(own, static_cast<size_t>(n)) + ".log";
  const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return 1;
  const std::string line = "started " + std::to_string(::getpid()) + "\n";
  const bool written = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
  ::close(fd);
  if (!written) return 1;
  ::sleep(60);
  return 0;
}
