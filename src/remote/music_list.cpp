#include "remote/music_list.h"

#include <cstdio>

#include "player/player_page.h"
#include "remote/config_cache.h"
#include "remote/random_order.h"
#include "remote/remote_paths.h"
#include "remote/step_context.h"
#include "services/json/json_object.h"
#include "state/program_state.h"

namespace larkbay {

bool LoadMusicList(StepContext& context) {
  const std::string cache = context.dataDir + std::string(kMusicListCache);
  const std::string document = FetchCachedDocument(context.server, cache, kMusicListDocument);
  JsonObject list;
  if (!list.Parse(document)) {
    std::remove(cache.c_str());
    return false;
  }
  JsonObject songs;
  if (!songs.Parse(list.GetText("Muisc", true))) songs.Clear();
  const int count = songs.GetCount("");
  const std::string& engine = context.state.appState.PlayerEngine;
  std::string playList;
  for (const std::int64_t k : DistinctRandomList(count, 1, count)) {
    const JsonObject song = songs.GetItemObject(static_cast<int>(k - 1), "");
    if (engine == "ie") {
      // The legacy player plays one address.
      playList = BarePlayList(song.GetText("url"));
      break;
    }
    playList += PlaylistEntry(song.GetText("url"), song.GetText("artists"), song.GetText("name"));
  }
  context.state.RecommendHtml = BuildPlayerPage(engine, playList, context.assetRoot);
  return true;
}

}  // namespace larkbay
