#pragma once
// Showing a player page and the auto-play click once it has loaded.

#include <string_view>

namespace larkbay {

class PageHost;
struct ProgramState;

// Clicks the play button of the SoundManager bar-ui page.
inline constexpr std::string_view kAutoPlayScript =
    "document.getElementsByClassName('sm2-inline-button sm2-icon-play-pause')[0].click();";

// Hands `page` to `host` unless it is the page handed over last. The page
// counts as shown before the host takes it, so a page the host could not take
// (or no host at all) is not offered again straight away.
void ShowPlayerPage(ProgramState& state, PageHost* host, std::string_view page);

// A page has finished loading in `host`: with auto-play on, its play button is
// clicked.
void OnPageLoadFinished(const ProgramState& state, PageHost& host);

}  // namespace larkbay
