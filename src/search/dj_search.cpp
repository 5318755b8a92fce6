#include "search/dj_search.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <utility>
#include <vector>

#include "net/server_request.h"
#include "platform/control_interface.h"
#include "platform/control_names.h"
#include "search/cell_colours.h"
#include "search/dj_protocol.h"
#include "search/result_list.h"
#include "search/search_counters.h"
#include "search/search_worker.h"
#include "services/json/json_object.h"
#include "state/program_state.h"

namespace larkbay {
namespace {

using namespace names;

constexpr char kNumberSearchType[] = "SongID";
constexpr char kSortNewest[] = "desc";
constexpr char kSortOldest[] = "asc";
constexpr char kSearchFailedLabel[] = "出错啦，稍后再试！";

const std::vector<ResultColumn> kDjColumns = {
    {"编号", ColumnAlign::Left},     {"歌曲名称", ColumnAlign::Left},
    {"歌曲时长", ColumnAlign::Left}, {"歌曲大小", ColumnAlign::Left},
    {"歌曲作者", ColumnAlign::Left}, {"歌曲日期", ColumnAlign::Left},
    {"", ColumnAlign::Left},
};
const int kDjColumnCount = static_cast<int>(kDjColumns.size());

// The column a member of the first mix sizes, and how.
struct SizedColumn {
  std::string_view member;
  int column;
  int width;
};
constexpr SizedColumn kSizedColumns[] = {
    {"SongID", 0, kFitToContents},       {"SongName", 1, kFitToContents},
    {"SongTime", 2, kFitToHeader},       {"SongFileSize", 3, kFitToHeader},
    {"SongUserName", 4, kFitToContents}, {"SongAddDate", 5, kFitToContents},
};

// What a search worker needs of the search, copied when it starts: it never
// reads the shared state while the interface thread may change it.
struct DjJob {
  std::string query;
  std::string lastQuery;
  int page = 0;       // of the page on show
  int pageCount = 0;
  std::string site;
  std::string siteName;
  std::string typeName;
  std::string keyword;
};

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string Counted(const SearchCounters& c) {
  return "页数[" + std::to_string(c.Page) + "]->数据->[" + std::to_string(c.ListCount) +
         "]->总页数[" + std::to_string(c.PageaCount) + "]->总数据[" + std::to_string(c.DataCount) +
         "]";
}

void ClearRecords(ControlInterface& controls, ProgramState& state) {
  controls.RunOnInterfaceThread([&state] { state.DjRecords.clear(); });
}

// The overrides are keyed by row, so the previous page's mark goes first; the
// playing mix is marked again when its row holds it still.
void MarkPlayingRow(SearchContext& context, const std::vector<DjRecord>& records) {
  context.controls.RunOnInterfaceThread([&] {
    ClearCellColours(context.controls, context.cellColours, kDjResultList);
    const DjSearchState& search = context.state.djSearch;
    const int row = search.PlayingDjRow;
    if (row < 1 || static_cast<size_t>(row) > records.size() ||
        records[static_cast<size_t>(row) - 1].SongID != search.PlayingDjId)
      return;
    for (int column = 0; column < kDjColumnCount; ++column)
      SetCellColour(context.controls, context.cellColours, kDjResultList, row - 1, column,
                    kPlayingDjColour, 0, false);
  });
}

void FillPage(SearchContext& context, const DjJob& job, const JsonObject& list, int rows,
              const JsonObject& addresses, const SearchCounters& counters) {
  ControlInterface& controls = context.controls;
  ClearRecords(controls, context.state);
  controls.DeleteAllRows(kDjResultList);
  PrepareColumns(controls, kDjResultList, kDjColumns);

  std::vector<DjRecord> records;
  records.reserve(static_cast<size_t>(rows));
  std::vector<std::string> firstMembers;
  for (int n = 1; n <= rows; ++n) {
    const JsonObject entry = list.GetItemObject(n - 1, "");
    DjRecord mix = ReadDjRecord(entry);
    if (n == 1) entry.GetNames(firstMembers, "");
    DjAddresses urls = ReadDjAddresses(addresses, job.site, mix.SongID);
    mix.HQ = std::move(urls.HQ);
    mix.ST = std::move(urls.ST);
    records.push_back(std::move(mix));
  }

  // The rows, the mark and the widths in one call on the interface thread:
  // one round trip for the page instead of one for each row.
  controls.RunOnInterfaceThread([&] {
    for (int n = 1; n <= rows; ++n) {
      const DjRecord& mix = records[static_cast<size_t>(n) - 1];
      controls.AppendRow(kDjResultList, {mix.SongID, mix.SongName, mix.SongTime, mix.SongFileSize,
                                         mix.SongUserName, mix.SongAddDate});
      if (60 + n <= 100) controls.SetPosition(kDjProgress, 60 + n);  // stops at its end
    }
  });
  MarkPlayingRow(context, records);

  controls.RunOnInterfaceThread([&] {
    for (const std::string& member : firstMembers)
      for (const SizedColumn& sized : kSizedColumns)
        if (member == sized.member)
          controls.SetColumnWidth(kDjResultList, sized.column, sized.width);
    controls.SetColumnWidth(kDjResultList, kDjColumnCount - 1, kFitToHeader);
  });

  controls.RunOnInterfaceThread([&] {
    DjSearchState& search = context.state.djSearch;
    context.state.DjRecords = std::move(records);
    search.LastQuery = job.query;
    search.Page = counters.Page;
    search.ListCount = counters.ListCount;
    search.PageaCount = counters.PageaCount;
    search.DataCount = counters.DataCount;
  });
  controls.SetText(kDjPageLabel, "共" + std::to_string(counters.PageaCount) + "页        当前第" +
                                     std::to_string(counters.Page) + "页        当前页共" +
                                     std::to_string(counters.ListCount) + "首歌曲");
  controls.SetEnabled(kDjResultList, true);
}

// Asks for the addresses of the mixes `ids` (none: nothing is asked) into
// `addresses`; false when the search was stopped meanwhile.
using AddressRequest =
    std::function<bool(const std::vector<std::string>& ids, JsonObject& addresses)>;

void ShowAnswer(SearchContext& context, const DjJob& job, std::string_view text,
                const AddressRequest& requestAddresses);

void RunDjSearch(SearchContext& context, const DjJob& job, WorkerRun& run) {
  ControlInterface& controls = context.controls;
  controls.SetPosition(kDjProgress, 20);
  if (!run.Sleep(std::chrono::milliseconds(200))) return;
  if (job.query.empty() || job.query == job.lastQuery) {
    // The page is on show; a search stopped in its last steps may have left
    // its paging buttons off, so they are set again.
    if (!job.query.empty())
      SetPagingButtons(controls, kDjNextButton, kDjPreviousButton, job.page, job.pageCount);
    controls.SetPosition(kDjProgress, 0);
    return;
  }
  controls.SetPosition(kDjProgress, 30);
  const std::string text =
      context.server.ServerRequest(kDjSearchScript, job.query, 1, 1, &run.cancel);
  if (run.Stopped()) return;
  ShowAnswer(context, job, text,
             [&](const std::vector<std::string>& ids, JsonObject& addresses) {
               // A failed address request leaves every address empty; the
               // rows show all the same.
               if (!ids.empty())
                 RequestDjAddresses(context.server, job.site, ids, addresses, &run.cancel);
               return !run.Stopped();
             });
}

// The worker's part once the answer has come: the list, the label and the
// buttons from it.
void ShowAnswer(SearchContext& context, const DjJob& job, std::string_view text,
                const AddressRequest& requestAddresses) {
  ControlInterface& controls = context.controls;
  controls.SetPosition(kDjProgress, 40);
  JsonObject answer;
  if (!answer.Parse(text)) {
    ClearRecords(controls, context.state);
    ShowListMessage(controls, kDjResultList, "搜索->" + job.keyword + "->发生错误",
                    kSearchFailedRow);
    controls.SetText(kDjPageLabel, kSearchFailedLabel);
    controls.SetVisible(kDjInfoPanel, false);
    controls.SetPosition(kDjProgress, 0);
    return;
  }
  const SearchCounters counters = ReadSearchCounters(answer);
  JsonObject list;
  list.Parse(answer.GetText("List", true));
  if (counters.ListCount <= 0) {
    ClearRecords(controls, context.state);
    ShowListMessage(controls, kDjResultList,
                    job.siteName + "->" + job.typeName + "->" + Counted(counters), kSearchDone);
    controls.SetVisible(kDjInfoPanel, false);
  } else {
    // Rows for the mixes the answer holds: a ListCount beyond its List would
    // only add empty rows that play nothing.
    const int rows = std::max(std::min(counters.ListCount, list.GetCount("")), 0);
    std::vector<std::string> ids;
    ids.reserve(static_cast<size_t>(rows));
    for (int n = 0; n < rows; ++n) ids.push_back(list.GetItemObject(n, "").GetText("SongID"));
    controls.SetPosition(kDjProgress, 50);
    JsonObject addresses;
    if (!requestAddresses(ids, addresses)) return;
    controls.SetPosition(kDjProgress, 60);
    FillPage(context, job, list, rows, addresses, counters);
  }
  SetPagingButtons(controls, kDjNextButton, kDjPreviousButton, counters.Page, counters.PageaCount);
  controls.SetPosition(kDjProgress, 0);
}

DjJob JobFromState(const DjSearchState& search) {
  return DjJob{search.PendingQuery, search.LastQuery, search.Page,    search.PageaCount,
               search.Site,         search.SiteName,  search.TypeName, search.Keyword};
}

void StartSearch(SearchContext& context, std::string query) {
  context.state.djSearch.PendingQuery = std::move(query);
  RestartDjWorker(context);
}

}  // namespace

std::string BuildDjQuery(ControlInterface& controls, DjSearchState& search, std::string_view site,
                         std::string_view type, std::string_view key, int page,
                         std::string_view sort) {
  // Without a chosen site and search type there is nothing to ask: both are
  // read before either is kept.
  std::string siteCode(site);
  std::string siteName;
  if (siteCode.empty() &&
      (!SelectedCode(controls, kDjSiteBox, siteCode, siteName) || siteCode.empty()))
    return {};
  std::string typeCode(type);
  std::string typeName;
  if (typeCode.empty() &&
      (!SelectedCode(controls, kDjTypeBox, typeCode, typeName) || typeCode.empty()))
    return {};
  if (site.empty()) {
    search.Site = siteCode;
    search.SiteName = siteName;
  }
  if (type.empty()) {
    search.Type = typeCode;
    search.TypeName = typeName;
  }

  std::string keyword(key);
  if (keyword.empty()) {
    const std::string typed = controls.GetText(kDjSearchBox);
    keyword = TrimBlanks(typed);
    if (IsPromptOrEmpty(keyword)) {
      PromptInSearchBox(controls, kDjSearchBox, kEnterKeywordPrompt);
      return {};
    }
    // A number search takes the box as typed: blanks around it are refused too.
    if (typeCode == kNumberSearchType && !AllDigits(typed)) {
      PromptInSearchBox(controls, kDjSearchBox, kEnterNumberPrompt);
      return {};
    }
    search.Keyword = keyword;
  }
  if (page == 0) {
    page = 1;
    search.Page = 1;
  }
  std::string order(sort);
  if (order.empty()) {
    order = controls.IsChecked(kDjSortBox) ? kSortNewest : kSortOldest;
    search.Sort = order;
  }
  return DjQueryText(siteCode, typeCode, keyword, page, order);
}

void RestartDjWorker(SearchContext& context) {
  DjJob job = JobFromState(context.state.djSearch);
  SearchContext* c = &context;
  context.djWorker.Restart(
      [c, job = std::move(job)](WorkerRun& run) { RunDjSearch(*c, job, run); });
}

void ShowDjSearchAnswer(SearchContext& context, std::string_view answer,
                        std::string_view addressAnswer) {
  ShowAnswer(context, JobFromState(context.state.djSearch), answer,
             [addressAnswer](const std::vector<std::string>& ids, JsonObject& addresses) {
               if (!ids.empty()) addresses.Parse(addressAnswer);
               return true;
             });
}

void OnDjFindClicked(SearchContext& context) {
  StartSearch(context, BuildDjQuery(context.controls, context.state.djSearch, "", "", "", 0, ""));
}

void OnDjSearchKey(SearchContext& context, int keyCode) {
  if (keyCode != 13) return;
  StartSearch(context, BuildDjQuery(context.controls, context.state.djSearch, "", "", "", 0, ""));
}

void OnDjNextPage(SearchContext& context) {
  const DjSearchState s = context.state.djSearch;
  StartSearch(context, BuildDjQuery(context.controls, context.state.djSearch, s.Site, s.Type,
                                    s.Keyword, s.Page + 1, s.Sort));
}

void OnDjPreviousPage(SearchContext& context) {
  const DjSearchState s = context.state.djSearch;
  StartSearch(context, BuildDjQuery(context.controls, context.state.djSearch, s.Site, s.Type,
                                    s.Keyword, s.Page - 1, s.Sort));
}

}  // namespace larkbay
