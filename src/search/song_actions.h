#pragma once
// What a user does with a row of the song results: play it (double-click or
// menu), and the menu of the qualities the song has.

#include <string_view>
#include <vector>

#include "platform/control_interface.h"
#include "search/search_context.h"
#include "state/search_records.h"

namespace larkbay {

// Command ids of the song menu.
inline constexpr int kPlaySongST = 2201;
inline constexpr int kPlaySongHD = 2202;
inline constexpr int kPlaySongHQ = 2203;
inline constexpr int kDownloadSongST = 2205;
inline constexpr int kDownloadSongHD = 2206;
inline constexpr int kDownloadSongHQ = 2207;
inline constexpr int kDownloadSongSQ = 2208;
inline constexpr int kDownloadSongMV = 2209;

// The two submenus 播放 and 下载 with an item for every quality field that is
// not empty, lowest quality first (a flag "0" counts as present).
std::vector<MenuItem> SongMenu(const SongRecord& song);

// Right button on the list: the menu of the selected row at the cursor;
// nothing without a selected row.
void ShowSongMenu(SearchContext& context);

// Plays row `row` (1-based) in `quality` in the player strip.
void PlaySong(SearchContext& context, int row, std::string_view quality);

// Double-click: the selected row in the compressed quality.
void OnSongListDoubleClick(SearchContext& context);

// The play commands of the song menu on the list's selected row; false for
// any other id. Without a selected row a play command does nothing.
bool RunSongPlayCommand(SearchContext& context, int commandId);

}  // namespace larkbay
