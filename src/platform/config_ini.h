#pragma once
// The settings file Config.ini in AppDataDir(): section "Lark-Bay" with the keys
// Program, DownloadsSavePath and AutoPlay. Every call reads or writes the file
// itself (no caching). Writes that fail are reported by the result only.

#include <cstdint>
#include <string>
#include <string_view>

namespace larkbay {

// AppDataDir() + "Config.ini".
std::string ConfigIniPath();

// One key of section "Lark-Bay".
std::string ReadConfigValue(std::string_view key, std::string_view defaultValue);
bool WriteConfigValue(std::string_view key, std::string_view value);
// The same in the Config.ini at `iniPath` (for steps given their data folder).
std::string ReadConfigValue(const std::string& iniPath, std::string_view key,
                            std::string_view defaultValue);
bool WriteConfigValue(const std::string& iniPath, std::string_view key, std::string_view value);

// AutoPlay: on only when the value, lower-cased (ASCII letters), is "true".
bool IsAutoPlayValueOn(std::string_view value);
// Reads AutoPlay with the default "true".
bool ReadAutoPlay();
// Writes "true" or "flase" (the spelling the client has always stored for off).
bool WriteAutoPlay(bool on);

// Program: the process id of the copy that last started; 0 when missing, not a
// number or out of range.
std::uint32_t ReadProgramId();
bool WriteProgramId(std::uint32_t processId);

// DownloadsSavePath: the download folder chosen by the user ("" when missing).
std::string ReadDownloadsSavePath();
bool WriteDownloadsSavePath(std::string_view folder);

// CaFile in the Config.ini at `iniPath`: a PEM file of certificate
// authorities trusted besides the system's ("" when missing).
std::string ReadCaFile(const std::string& iniPath);

// SpecialFolder(kDesktopFolder) + "下载目录/" (not created here).
std::string DefaultSavePath();
// The stored DownloadsSavePath when it names an existing folder (with a "/"
// appended when missing), else DefaultSavePath(). The key is never rewritten.
std::string ResolveSavePath();

}  // namespace larkbay
