#pragma once
// What a user does with a row of the DJ results: its details in the info
// panel, playing it (double-click or menu) with the playing mark, the menu of
// play, download and copy commands, and the copy commands themselves.

#include <string_view>
#include <vector>

#include "platform/control_interface.h"
#include "search/search_context.h"
#include "state/search_records.h"

namespace larkbay {

// Command ids of the DJ menu.
inline constexpr int kPlayDjLow = 2101;
inline constexpr int kPlayDjHigh = 2102;
inline constexpr int kDownloadDjLow = 2103;
inline constexpr int kDownloadDjHigh = 2104;
inline constexpr int kCopyDjLowAddress = 2105;
inline constexpr int kCopyDjHighAddress = 2106;
inline constexpr int kCopyDjName = 2107;
inline constexpr int kCopyDjNumber = 2108;
inline constexpr int kCopyDjAuthor = 2109;

// The submenus 播放, 下载 and 其他: play and download items for the addresses
// longer than five bytes, the copy items always.
std::vector<MenuItem> DjMenu(const DjRecord& mix);

// Right button: the selected row's menu at the cursor.
void ShowDjMenu(SearchContext& context);

// The selected row's details in the info panel, which is shown.
void ShowDjInfo(SearchContext& context);

// Plays row `row` (1-based) in low (0, ST) or high (1, HQ) quality and marks
// it as the playing mix.
void PlayDjEntry(SearchContext& context, int row, int quality);

// Double-click: the selected row in low quality, when it has that address.
void PlayDjRow(SearchContext& context);

// Puts `text` on the clipboard; "复制失败" when there is nothing to copy or the
// clipboard refuses it.
void CopyToClipboard(ControlInterface& controls, std::string_view text);

// The play and copy commands of the DJ menu on the list's selected row;
// false for any other id.
bool RunDjCommand(SearchContext& context, int commandId);

}  // namespace larkbay
