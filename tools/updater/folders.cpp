#include "folders.h"

#include <sys/stat.h>

#include <cerrno>

namespace larkbay::updater {
namespace {

// 1 a folder, 0 missing, -1 anything else (errno set).
int FolderState(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return errno == ENOENT ? 0 : -1;
  if (S_ISDIR(info.st_mode)) return 1;
  errno = ENOTDIR;
  return -1;
}

}  // namespace

std::string NormalPath(const std::string& path) {
  std::string normal;
  normal.reserve(path.size());
  for (const char c : path) {
    if (c == '/' && !normal.empty() && normal.back() == '/') continue;
    normal += c;
  }
  if (normal.size() > 1 && normal.back() == '/') normal.pop_back();
  return normal;
}

bool MakeFolders(const std::string& path, int& error, std::string& blocker) {
  const std::string folder = NormalPath(path);
  // Each prefix ending before a "/", then the whole path; "/" itself is there.
  for (size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
    const std::string part = folder.substr(0, end);
    int state = FolderState(part);
    if (state == 0) {
      if (::mkdir(part.c_str(), 0755) == 0) {
        state = 1;
      } else if (errno == EEXIST) {
        state = FolderState(part);  // made meanwhile, or a dangling link
        if (state == 0) errno = ENOTDIR;
      }
    }
    if (state != 1) {
      error = errno;
      blocker = part;
      return false;
    }
    if (end == std::string::npos) return true;
  }
}

}  // namespace larkbay::updater
