#pragma once
// Where the program configuration lists the search sites and DJ search types:
// arrays of {"key": shown text, "value": code the search sends}.

#include <string_view>

namespace larkbay {

inline constexpr std::string_view kSongSitesPath = "Song.Song_Search_Web";
inline constexpr std::string_view kDjSitesPath = "DJ.DJ_Search_Web";
inline constexpr std::string_view kDjTypesPath = "DJ.DJ_Search_Type";

}  // namespace larkbay
