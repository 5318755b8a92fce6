#include "search/dj_actions.h"

#include <string>

#include "platform/control_names.h"
#include "player/player_page.h"
#include "player/show_player_page.h"
#include "search/cell_colours.h"
#include "search/dj_protocol.h"
#include "search/dj_search.h"
#include "state/program_state.h"

namespace larkbay {
namespace {

using namespace names;

// The selected row's record, or null.
const DjRecord* SelectedMix(SearchContext& context, int* row = nullptr) {
  const int selection = context.controls.SelectedRow(kDjResultList);
  const auto& records = context.state.DjRecords;
  if (selection < 0 || static_cast<size_t>(selection) >= records.size()) return nullptr;
  if (row) *row = selection + 1;
  return &records[static_cast<size_t>(selection)];
}

void SetIfChanged(ControlInterface& controls, std::string_view name, const std::string& text) {
  if (controls.GetText(name) != text) controls.SetText(name, text);
}

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

}  // namespace

std::vector<MenuItem> DjMenu(const DjRecord& mix) {
  MenuItem play{"播放", 0, {}, true};
  MenuItem download{"下载", 0, {}, true};
  MenuItem other{"其他", 0, {}, true};
  auto add = [](MenuItem& menu, const char* caption, int id) {
    menu.children.push_back({caption, id, {}, false});
  };
  if (DjAddressUsable(mix.ST)) {
    add(play, "播放【低】音质64kbps", kPlayDjLow);
    add(download, "下载【低】音质64kbps", kDownloadDjLow);
    add(other, "复制【外链】音质64kbps", kCopyDjLowAddress);
  }
  if (DjAddressUsable(mix.HQ)) {
    add(play, "播放【高】音质320kbps", kPlayDjHigh);
    add(download, "下载【高】音质320kbps", kDownloadDjHigh);
    add(other, "复制【外链】音质320kbps", kCopyDjHighAddress);
  }
  add(other, "复制【歌曲编号】", kCopyDjNumber);
  add(other, "复制【歌曲名称】", kCopyDjName);
  add(other, "复制【歌曲作者】", kCopyDjAuthor);
  return {play, download, other};
}

void ShowDjMenu(SearchContext& context) {
  if (const DjRecord* mix = SelectedMix(context))
    context.controls.TrackMenu(kMainWindow, DjMenu(*mix));
}

void ShowDjInfo(SearchContext& context) {
  const DjRecord* mix = SelectedMix(context);
  if (!mix) return;
  ControlInterface& controls = context.controls;
  const DjSearchState& search = context.state.djSearch;
  if (controls.GetText(kDjInfoPanel) != search.SiteName)
    controls.SetText(kDjInfoPanel, search.SiteName + "[" + Upper(search.Sort) + "]");
  SetIfChanged(controls, kDjInfoSearchType,
               "当前搜索方式：" + search.TypeName + "--→" + search.Keyword);
  controls.SetText(kDjInfoNumber, "歌曲编号：" + mix->SongID);
  controls.SetText(kDjInfoName, "歌曲名称：" + mix->SongName);
  controls.SetText(kDjInfoAuthor, "作者名称：" + mix->SongUserName);
  controls.SetText(kDjInfoLengthSize,
                   "歌曲时长：" + mix->SongTime + "        歌曲大小：" + mix->SongFileSize);
  controls.SetText(kDjInfoDate, "更新日期：" + mix->SongAddDate);
  controls.SetVisible(kDjInfoPanel, true);
}

void PlayDjEntry(SearchContext& context, int row, int quality) {
  const auto& records = context.state.DjRecords;
  if (row < 1 || static_cast<size_t>(row) > records.size()) return;
  const DjRecord mix = records[static_cast<size_t>(row) - 1];
  DjSearchState& search = context.state.djSearch;
  // The same row number on another page holds another mix: that one is
  // marked as well.
  if (row != search.PlayingDjRow || mix.SongID != search.PlayingDjId) {
    ClearCellColours(context.controls, context.cellColours, kDjResultList);
    const int columns = context.controls.ColumnCount(kDjResultList);
    for (int column = 0; column < columns; ++column)
      SetCellColour(context.controls, context.cellColours, kDjResultList, row - 1, column,
                    kPlayingDjColour, 0, false);
    search.PlayingDjRow = row;
    search.PlayingDjId = mix.SongID;
  }
  const std::string& url = quality == 1 ? mix.HQ : mix.ST;
  const std::string& engine = context.state.appState.PlayerEngine;
  const std::string playList =
      engine == "ie" ? BarePlayList(url) : PlaylistEntry(url, mix.SongUserName, mix.SongName);
  ShowPlayerPage(context.state, context.pageHost,
                 BuildPlayerPage(engine, playList, context.assetRoot));
}

void PlayDjRow(SearchContext& context) {
  int row = 0;
  const DjRecord* mix = SelectedMix(context, &row);
  if (!mix || mix->ST.empty()) return;
  PlayDjEntry(context, row, 0);
}

void CopyToClipboard(ControlInterface& controls, std::string_view text) {
  if (!text.empty() && controls.SetClipboardText(text)) return;
  controls.MessageBox(kMainWindow, "复制失败", "错误", msgbox::kOk);
}

bool RunDjCommand(SearchContext& context, int commandId) {
  if (commandId < kPlayDjLow || commandId > kCopyDjAuthor || commandId == kDownloadDjLow ||
      commandId == kDownloadDjHigh)
    return false;
  int row = 0;
  const DjRecord* found = SelectedMix(context, &row);
  if (!found) return true;  // the selection went before the command came
  const DjRecord mix = *found;
  switch (commandId) {
    case kPlayDjLow: PlayDjEntry(context, row, 0); break;
    case kPlayDjHigh: PlayDjEntry(context, row, 1); break;
    case kCopyDjLowAddress: CopyToClipboard(context.controls, mix.ST); break;
    case kCopyDjHighAddress: CopyToClipboard(context.controls, mix.HQ); break;
    case kCopyDjName: CopyToClipboard(context.controls, mix.SongName); break;
    case kCopyDjNumber: CopyToClipboard(context.controls, mix.SongID); break;
    case kCopyDjAuthor: CopyToClipboard(context.controls, mix.SongUserName); break;
    default: break;
  }
  return true;
}

}  // namespace larkbay
