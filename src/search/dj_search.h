#pragma once
// The DJ search: the query from the boxes or the paging, and the worker that
// fills the seven-column result list with a page of mixes and their addresses,
// marking the mix being played.

#include <string>
#include <string_view>

#include "search/search_context.h"

namespace larkbay {

class ControlInterface;
struct DjSearchState;

// The text colour of the row being played (on the list's own background).
inline constexpr Colour kPlayingDjColour = 0xFF8800;

// The query text, or empty when the keyword is refused (the search box then
// prompts) or a site or search type is not chosen. Empty arguments are taken
// from the boxes and stored in `search`; given ones are used as they are.
std::string BuildDjQuery(ControlInterface& controls, DjSearchState& search, std::string_view site,
                         std::string_view type, std::string_view key, int page,
                         std::string_view sort);

// Stops a running DJ search and starts one for PendingQuery.
void RestartDjWorker(SearchContext& context);

// The four ways a search starts: 查找, Enter in the search box (other keys do
// nothing), 下一页 and 上一页; paging keeps the search's site, type, keyword
// and sort.
void OnDjFindClicked(SearchContext& context);
void OnDjSearchKey(SearchContext& context, int keyCode);
void OnDjNextPage(SearchContext& context);
void OnDjPreviousPage(SearchContext& context);

// What a search worker does once the answer to PendingQuery has come, with
// `addressAnswer` as the answer of the address request for the page's mixes:
// the list, the page label and the paging buttons, as the search of the
// state's site, type and keyword. Runs on the calling thread.
void ShowDjSearchAnswer(SearchContext& context, std::string_view answer,
                        std::string_view addressAnswer);

}  // namespace larkbay
