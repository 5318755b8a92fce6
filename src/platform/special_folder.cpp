#include "platform/special_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string_view>

namespace larkbay {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

std::string WithSlash(std::string path) {
  if (!path.empty() && path.back() != '/') path += '/';
  return path;
}

// The XDG_DESKTOP_DIR line of a user-dirs.dirs file: XDG_DESKTOP_DIR="$HOME/Desk".
std::string DesktopFromUserDirs(const std::string& file, const std::string& home) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    std::string_view view(line);
    while (!view.empty() && (view.front() == ' ' || view.front() == '\t')) view.remove_prefix(1);
    constexpr std::string_view kKey = "XDG_DESKTOP_DIR=";
    if (!view.starts_with(kKey)) continue;
    view.remove_prefix(kKey.size());
    while (!view.empty() && (view.back() == ' ' || view.back() == '\t' || view.back() == '\r')) {
      view.remove_suffix(1);
    }
    if (view.size() >= 2 && view.front() == '"' && view.back() == '"') {
      view = view.substr(1, view.size() - 2);
    }
    std::string value(view);
    if (value.starts_with("$HOME")) {
      value = home + value.substr(5);
    } else if (value.starts_with("${HOME}")) {
      value = home + value.substr(7);
    }
    if (value.empty() || value.front() != '/') return {};  // only absolute paths are valid
    return value;
  }
  return {};
}

}  // namespace

std::string HomeDirectory() {
  std::string home = Env("HOME");
  if (home.empty()) {
    if (const passwd* entry = ::getpwuid(::getuid());
        entry != nullptr && entry->pw_dir != nullptr) {
      home = entry->pw_dir;
    }
  }
  while (home.size() > 1 && home.back() == '/') home.pop_back();
  return home;
}

std::string SpecialFolder(int kind) {
  if (kind != kDesktopFolder) return {};
  if (std::string desktop = Env("XDG_DESKTOP_DIR"); !desktop.empty()) return WithSlash(desktop);
  const std::string home = HomeDirectory();
  if (home.empty()) return {};
  std::string config = Env("XDG_CONFIG_HOME");
  if (config.empty()) config = home + "/.config";
  if (std::string desktop = DesktopFromUserDirs(WithSlash(config) + "user-dirs.dirs", home);
      !desktop.empty()) {
    return WithSlash(desktop);
  }
  return home + "/Desktop/";
}

}  // namespace larkbay
