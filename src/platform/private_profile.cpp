#include "platform/private_profile.h"

#include <sys/stat.h>

#include <cerrno>
#include <mutex>

#include "platform/file_system.h"
#include "platform/ini_text.h"

namespace larkbay {
namespace {

// Writes are read-modify-write; threads of this process take turns.
std::mutex& WriteMutex() {
  static std::mutex mutex;
  return mutex;
}

std::string_view WithoutTrailingSpaces(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, const std::string& file) {
  std::string content;
  if (ReadWholeFile(file, content)) {
    if (std::optional<std::string> value = IniLookup(content, section, key)) return *value;
  }
  return std::string(WithoutTrailingSpaces(defaultValue));
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::string& file) {
  std::lock_guard lock(WriteMutex());
  std::string content;
  if (!ReadWholeFile(file, content)) {
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0) return false;  // exists but unreadable: keep it
    content.clear();
  }
  const std::optional<std::string> updated = IniUpdate(content, section, key, value);
  if (!updated) return false;
  if (*updated == content) return true;
  return WriteFileAtomically(file, *updated);
}

}  // namespace larkbay
