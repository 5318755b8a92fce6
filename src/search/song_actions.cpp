#include "search/song_actions.h"

#include <string>

#include "platform/control_names.h"
#include "player/player_page.h"
#include "player/show_player_page.h"
#include "search/song_search.h"
#include "state/program_state.h"

namespace larkbay {
namespace {

// The selected row as a 1-based row of the records, or 0.
int SelectedRow(ControlInterface& controls) {
  const int selection = controls.SelectedRow(names::kSongResultList);
  return selection < 0 ? 0 : selection + 1;
}

}  // namespace

std::vector<MenuItem> SongMenu(const SongRecord& song) {
  MenuItem play{"播放", 0, {}, true};
  MenuItem download{"下载", 0, {}, true};
  auto add = [](MenuItem& menu, const char* caption, int id) {
    menu.children.push_back({caption, id, {}, false});
  };
  if (!song.ST.empty()) {
    add(play, "播放【压缩】音质64kbps", kPlaySongST);
    add(download, "下载【压缩】音质64kbps", kDownloadSongST);
  }
  if (!song.HD.empty()) {
    add(play, "播放【标准】音质192kbps", kPlaySongHD);
    add(download, "下载【标准】音质192kbps", kDownloadSongHD);
  }
  if (!song.HQ.empty()) {
    add(play, "播放【高品】音质320kbps", kPlaySongHQ);
    add(download, "下载【高品】音质320kbps", kDownloadSongHQ);
  }
  if (!song.SQ.empty()) add(download, "下载【无损】音质999kbps", kDownloadSongSQ);
  if (!song.SongMV.empty()) add(download, "下载【MV】视频", kDownloadSongMV);
  return {play, download};
}

void ShowSongMenu(SearchContext& context) {
  const int row = SelectedRow(context.controls);
  if (row == 0 || static_cast<size_t>(row) > context.state.SongRecords.size()) return;
  context.controls.TrackMenu(names::kMainWindow,
                             SongMenu(context.state.SongRecords[static_cast<size_t>(row) - 1]));
}

void PlaySong(SearchContext& context, int row, std::string_view quality) {
  SearchContext* c = &context;
  ResolveSongUrlThen(context, row, quality, [c](const std::string& url, const SongRecord& song) {
    const std::string& engine = c->state.appState.PlayerEngine;
    const std::string playList = engine == "ie"
                                     ? BarePlayList(url)
                                     : PlaylistEntry(url, song.SongArtists, song.SongName);
    ShowPlayerPage(c->state, c->pageHost, BuildPlayerPage(engine, playList, c->assetRoot));
  });
}

void OnSongListDoubleClick(SearchContext& context) {
  const int row = SelectedRow(context.controls);
  if (row == 0) return;
  PlaySong(context, row, "ST");
}

bool RunSongPlayCommand(SearchContext& context, int commandId) {
  const char* quality = commandId == kPlaySongST   ? "ST"
                        : commandId == kPlaySongHD ? "HD"
                        : commandId == kPlaySongHQ ? "HQ"
                                                   : nullptr;
  if (!quality) return false;
  if (const int row = SelectedRow(context.controls); row != 0) PlaySong(context, row, quality);
  return true;
}

}  // namespace larkbay
