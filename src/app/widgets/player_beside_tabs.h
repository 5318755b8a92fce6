#pragma once
// The legacy player strip and the tab control share the window's top row when
// the tab control moves up to the top (the layout without the engine). There
// the player view stands above the tab control but shows itself only in the
// tab row's free part right of the tabs, so the tabs and the strip are both
// whole and both take clicks. Wherever the two do not share a row, the view
// lies below the tab control and shows whole.

namespace larkbay {

class HtmlView;
class TabControl;

// Keeps `view` fitted to `tabs` from now on, as either moves, resizes, shows
// or hides. Both are children of one parent; the fitting lives with `view`.
void KeepPlayerBesideTabs(HtmlView* view, TabControl* tabs);

}  // namespace larkbay
