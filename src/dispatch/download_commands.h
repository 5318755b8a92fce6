#pragma once
// The download commands of the result lists' menus: the selected row's
// address in the chosen quality, saved under its prefixed name.

#include "downloads/download_context.h"
#include "search/search_context.h"

namespace larkbay {

// 2103 and 2104: the DJ list's selected mix, "[低] " or "[高] " and its name.
bool RunDjDownloadCommand(SearchContext& search, DownloadContext& downloads, int commandId);

// 2205 to 2209: the song list's selected song in ST, HD, HQ, SQ ("[压缩] ",
// "[标准] ", "[高品] ", "[无损] " and "artist - name") or its video ("[视频]"
// and the name). The address is asked for first when the row has none yet.
bool RunSongDownloadCommand(SearchContext& search, DownloadContext& downloads, int commandId);

}  // namespace larkbay
