#include "app/startup/pending_steps.h"

namespace larkbay {

// Filled in by the configuration fetch (remote configuration and its cache).
bool FetchProgramConfig(StartupContext&) { return false; }

// Filled in by the self-update (updater digest and download).
bool UpdateUpdater(StartupContext&) { return false; }

// Filled in by the self-update (program version check and hand-over).
bool UpdateProgram(StartupContext&) { return false; }

// Filled in by the engine installation (engine pack and player layout).
bool InstallEngine(StartupContext&) { return false; }

// Filled in by the recommended music list.
bool LoadMusicList(StartupContext&) { return false; }

// Filled in by the search-site configuration (DJ selectors and site table).
bool FillDjSearchLists(StartupContext&) { return false; }

// Filled in by the search-site configuration (song site selector).
bool FillSongSiteList(StartupContext&) { return false; }

// Filled in by the player pages.
bool ShowPlayerPage(StartupContext&, std::string_view) { return false; }

// Filled in by the browser hosting; no engine is ever loaded before it.
bool ShutDownBrowser(StartupContext&) { return false; }

}  // namespace larkbay
