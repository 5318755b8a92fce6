#pragma once
// Start-up step 6: the recommended list, fetched and cached like the
// configuration, in a new random order at every start, as the player page
// the main window shows first.

namespace larkbay {

struct StepContext;

// True when the list parsed; RecommendHtml then holds its player page. A
// list that does not parse deletes its cache and leaves RecommendHtml empty.
bool LoadMusicList(StepContext& context);

}  // namespace larkbay
