#include "player/show_player_page.h"

#include <string>
#include <utility>

#include "player/page_host.h"
#include "player/player_page.h"
#include "state/program_state.h"

namespace larkbay {

void ShowPlayerPage(ProgramState& state, PageHost* host, std::string_view page) {
  std::string digest = PageDigest(page);
  if (digest == state.LastPageDigest) return;
  state.LastPageDigest = std::move(digest);
  if (host) host->LoadPage(page);
}

void OnPageLoadFinished(const ProgramState& state, PageHost& host) {
  if (!state.appState.AutoPlay) return;
  host.RunScript(kAutoPlayScript);
}

bool AutoPlayTiming::PageLoaded(int pagesHanded) {
  if (pagesHanded == 0) return false;  // the blank page
  if (read_) return true;
  loadedEarlyAt_ = pagesHanded;
  return false;
}

bool AutoPlayTiming::SettingRead(int pagesHanded) {
  if (read_) return false;
  read_ = true;
  return loadedEarlyAt_ == pagesHanded;
}

}  // namespace larkbay
