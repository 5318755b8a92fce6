#pragma once
// The API scripts and local files of the remote configuration.

#include <string_view>

namespace larkbay {

inline constexpr std::string_view kConfigScript = "Lark-Bay/Tool/Api/Config/program_Config.php";
inline constexpr std::string_view kDownloadAddressScript =
    "Lark-Bay/Tool/Api/Config/up-file-path.php";

// Inside AppDataDir.
inline constexpr std::string_view kProgramConfigCache = "data/program_Config";
inline constexpr std::string_view kMusicListCache = "data/muisclist_Config";
inline constexpr std::string_view kSitePageFile = "data/Lark-Bay_Search_Web.html";
inline constexpr std::string_view kUpdaterFile = "Update.exe";
inline constexpr std::string_view kUpdaterRecordFile = "program_updata_config";
inline constexpr std::string_view kConfigIniFile = "Config.ini";

// The documents program_Config.php hands out.
inline constexpr std::string_view kProgramConfigDocument = "program_Config.json";
inline constexpr std::string_view kMusicListDocument = "_MuiscList.json";

}  // namespace larkbay
