#include "platform/config_ini.h"

#include <charconv>

#include "platform/app_data_dir.h"
#include "platform/file_system.h"
#include "platform/private_profile.h"
#include "platform/special_folder.h"

namespace larkbay {
namespace {

constexpr std::string_view kSection = "Lark-Bay";

}  // namespace

std::string ConfigIniPath() { return AppDataDir() + "Config.ini"; }

std::string ReadConfigValue(std::string_view key, std::string_view defaultValue) {
  return ReadConfigValue(ConfigIniPath(), key, defaultValue);
}

bool WriteConfigValue(std::string_view key, std::string_view value) {
  return WriteConfigValue(ConfigIniPath(), key, value);
}

std::string ReadConfigValue(const std::string& iniPath, std::string_view key,
                            std::string_view defaultValue) {
  return GetPrivateProfileString(kSection, key, defaultValue, iniPath);
}

bool WriteConfigValue(const std::string& iniPath, std::string_view key, std::string_view value) {
  return WritePrivateProfileString(kSection, key, value, iniPath);
}

std::string ReadCaFile(const std::string& iniPath) {
  return ReadConfigValue(iniPath, "CaFile", "");
}

bool IsAutoPlayValueOn(std::string_view value) {
  constexpr std::string_view kTrue = "true";
  if (value.size() != kTrue.size()) return false;
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != kTrue[i]) return false;
  }
  return true;
}

bool ReadAutoPlay() { return IsAutoPlayValueOn(ReadConfigValue("AutoPlay", "true")); }

bool WriteAutoPlay(bool on) { return WriteConfigValue("AutoPlay", on ? "true" : "flase"); }

std::uint32_t ReadProgramId() {
  const std::string text = ReadConfigValue("Program", "");
  // Leading digits count, like the integer conversion the value was always
  // read with; a sign, junk or overflow gives 0.
  std::uint32_t id = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
  (void)end;
  return error == std::errc() ? id : 0;
}

bool WriteProgramId(std::uint32_t processId) {
  return WriteConfigValue("Program", std::to_string(processId));
}

std::string ReadDownloadsSavePath() { return ReadConfigValue("DownloadsSavePath", ""); }

bool WriteDownloadsSavePath(std::string_view folder) {
  return WriteConfigValue("DownloadsSavePath", folder);
}

std::string DefaultSavePath() { return SpecialFolder(kDesktopFolder) + "下载目录/"; }

std::string ResolveSavePath() {
  std::string stored = ReadDownloadsSavePath();
  if (!stored.empty() && IsDirectory(stored)) {
    if (stored.back() != '/') stored += '/';
    return stored;
  }
  return DefaultSavePath();
}

}  // namespace larkbay
