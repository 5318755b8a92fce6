#pragma once
// Binds the result pages' controls to the searches: the find buttons, Enter
// in the search boxes, the paging buttons, and the lists' double-click, right
// button, mouse moves and focus.

namespace larkbay {

class ControlInterface;
struct SearchContext;

void BindSongSearch(ControlInterface& controls, SearchContext& context);
void BindDjSearch(ControlInterface& controls, SearchContext& context);

}  // namespace larkbay
