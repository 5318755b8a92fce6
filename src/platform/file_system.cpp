#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <system_error>

namespace larkbay {

bool PathExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool EnsureDirectory(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path), ec);
  return IsDirectory(path);
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
  contents.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buffer[16384];
  bool ok = true;
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      contents.append(buffer, static_cast<size_t>(n));
    } else if (n == 0) {
      break;
    } else if (errno != EINTR) {
      ok = false;
      break;
    }
  }
  ::close(fd);
  if (!ok) contents.clear();
  return ok;
}

namespace {

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Writing through a symbolic link replaces the file it points to, not the link.
std::string ResolveLinks(const std::string& path) {
  char resolved[PATH_MAX];
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) &&
      ::realpath(path.c_str(), resolved) != nullptr) {
    return resolved;
  }
  return path;
}

// A new temporary file beside the target, created with `mode` so that the
// kernel applies the umask (and a default ACL) as for any other new file.
int CreateTemporary(const std::string& target, mode_t mode, std::string& temp) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = target + ".tmp-";
    for (int i = 0; i < 6; ++i) temp += kLetters[random() % (sizeof kLetters - 1)];
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view contents, FileKind kind) {
  if (path.empty() || path.back() == '/') return false;
  const std::string target = ResolveLinks(path);
  struct stat st {};
  const bool replacing = ::stat(target.c_str(), &st) == 0;
  std::string temp;
  const int fd = CreateTemporary(target, kind == FileKind::kProgram ? 0777 : 0666, temp);
  if (fd < 0) return false;

  bool ok = true;
  if (replacing) {
    mode_t mode = st.st_mode & 07777;
    // A program must stay runnable by whoever may read it.
    if (kind == FileKind::kProgram) mode |= (mode & 0444) >> 2;
    ok = ::fchmod(fd, mode) == 0;
  }
  ok = ok && WriteAll(fd, contents) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  // Make the rename itself durable.
  const std::string folder = std::filesystem::path(target).parent_path().string();
  const int dirFd =
      ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}

}  // namespace larkbay
