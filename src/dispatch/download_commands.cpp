#include "dispatch/download_commands.h"

#include <string>

#include "downloads/download_manager.h"
#include "platform/control_interface.h"
#include "platform/control_names.h"
#include "search/dj_actions.h"
#include "search/song_actions.h"
#include "search/song_search.h"
#include "state/program_state.h"

namespace larkbay {
namespace {

using namespace names;

struct SongDownload {
  int commandId;
  const char* quality;
  const char* prefix;
};

constexpr SongDownload kSongDownloads[] = {
    {kDownloadSongST, "ST", "[压缩] "}, {kDownloadSongHD, "HD", "[标准] "},
    {kDownloadSongHQ, "HQ", "[高品] "}, {kDownloadSongSQ, "SQ", "[无损] "},
    {kDownloadSongMV, "MV", "[视频]"},
};

}  // namespace

bool RunDjDownloadCommand(SearchContext& search, DownloadContext& downloads, int commandId) {
  if (commandId != kDownloadDjLow && commandId != kDownloadDjHigh) return false;
  const int selection = search.controls.SelectedRow(kDjResultList);
  const auto& records = search.state.DjRecords;
  if (selection < 0 || static_cast<size_t>(selection) >= records.size()) return true;
  const DjRecord& mix = records[static_cast<size_t>(selection)];
  if (commandId == kDownloadDjLow)
    StartDownload(downloads, mix.ST, "[低] " + mix.SongName);
  else
    StartDownload(downloads, mix.HQ, "[高] " + mix.SongName);
  return true;
}

bool RunSongDownloadCommand(SearchContext& search, DownloadContext& downloads, int commandId) {
  for (const SongDownload& download : kSongDownloads) {
    if (download.commandId != commandId) continue;
    const int selection = search.controls.SelectedRow(kSongResultList);
    if (selection < 0 || static_cast<size_t>(selection) >= search.state.SongRecords.size())
      return true;
    DownloadContext* target = &downloads;
    ResolveSongUrlThen(search, selection + 1, download.quality,
                       [target, &download](const std::string& url, const SongRecord& song) {
                         const std::string name =
                             download.commandId == kDownloadSongMV
                                 ? download.prefix + song.SongName
                                 : download.prefix + song.SongArtists + " - " + song.SongName;
                         StartDownload(*target, url, name);
                       });
    return true;
  }
  return false;
}

}  // namespace larkbay
