#pragma once
// The song search: the query from the boxes or the paging, the worker that
// fills the ten-column result list, and the addresses of a row's files.

#include <string>
#include <string_view>

#include "search/search_context.h"

namespace larkbay {

class ControlInterface;
struct SongSearchState;
struct WorkerRun;

// The query text, or empty when the keyword is refused (the search box then
// prompts) or no site is chosen. Empty arguments are taken from the boxes and
// stored in `search`; given ones are used as they are.
std::string BuildSongQuery(ControlInterface& controls, SongSearchState& search,
                           std::string_view site, std::string_view type, std::string_view key,
                           int page, std::string_view br, std::string_view mid);

// Stops a running song search and starts one for PendingQuery.
void RestartSongWorker(SearchContext& context);

// The four ways a search starts: 查找, Enter in the search box (other keys do
// nothing), 下一页 and 上一页.
void OnSongFindClicked(SearchContext& context);
void OnSongSearchKey(SearchContext& context, int keyCode);
void OnSongNextPage(SearchContext& context);
void OnSongPreviousPage(SearchContext& context);

// What a search worker does once the answer to PendingQuery has come: the
// list, the page label and the paging buttons from `answer`, as the search of
// the state's site and keyword. Runs on the calling thread (a worker's, or
// the interface thread).
void ShowSongSearchAnswer(SearchContext& context, std::string_view answer);

// The address of row `row` (1-based) in `quality` (ST, HD, HQ, SQ or MV),
// asked from the server once and kept in the row's record; empty for an
// unknown quality, a row that is not on the page, or no address.
std::string ResolveSongUrl(SearchContext& context, int row, std::string_view quality);

}  // namespace larkbay
