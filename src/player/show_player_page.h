#pragma once
// Showing a player page and the auto-play click once it has loaded.

#include <string_view>

namespace larkbay {

class PageHost;
struct ProgramState;

// Clicks the play button of the SoundManager bar-ui page; a page without one
// (the browser's blank first page) is left alone, without a script error.
inline constexpr std::string_view kAutoPlayScript =
    "(function () { var play = document.getElementsByClassName("
    "'sm2-inline-button sm2-icon-play-pause')[0]; if (play) play.click(); })();";

// Hands `page` to `host` unless it is the page handed over last. The page
// counts as shown before the host takes it, so a page the host could not take
// (or no host at all) is not offered again straight away.
void ShowPlayerPage(ProgramState& state, PageHost* host, std::string_view page);

// A page has finished loading in `host`: with auto-play on, its play button is
// clicked.
void OnPageLoadFinished(const ProgramState& state, PageHost& host);

// When the auto-play click is due. The setting is read once the main window
// is first activated, and a page may finish loading before that: its click
// waits for the setting, unless another page has been handed over since,
// which gets its own click once it has loaded (a second click on one page
// would pause what the first one played). A load before any page was handed
// over is the browser's blank first page, never clicked.
class AutoPlayTiming {
 public:
  // A page finished loading, `pagesHanded` pages having been handed over so
  // far; true: click now.
  bool PageLoaded(int pagesHanded);
  // The setting has been read; true: click now, for a page that finished
  // loading before.
  bool SettingRead(int pagesHanded);

 private:
  bool read_ = false;
  int loadedEarlyAt_ = -1;  // pages handed over when one loaded early; -1: none
};

}  // namespace larkbay
