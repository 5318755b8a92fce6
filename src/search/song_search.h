#pragma once
// The song search: the query from the boxes or the paging, the worker that
// fills the ten-column result list, and the addresses of a row's files.

#include <functional>
#include <string>
#include <string_view>

#include "search/search_context.h"
#include "state/search_records.h"

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

// What a resolved address goes on with: the address (empty when there is
// none) and the song it is of, as it was when asked for.
using SongUrlThen = std::function<void(const std::string& url, const SongRecord& song)>;

// ResolveSongUrl without the wait. A kept address (or none to ask for) goes
// on at once; otherwise the context's address worker asks the server and
// `then` runs on the interface thread once the answer is in, the address kept
// in the row's record while the row still holds that song. A newer call
// replaces one still waiting, which then never goes on. Without an address
// worker the server is asked on this thread.
void ResolveSongUrlThen(SearchContext& context, int row, std::string_view quality,
                        SongUrlThen then);

}  // namespace larkbay
