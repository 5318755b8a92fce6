#include "search/song_search.h"

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

#include "net/server_request.h"
#include "platform/control_interface.h"
#include "platform/control_names.h"
#include "search/result_list.h"
#include "search/search_counters.h"
#include "search/search_worker.h"
#include "search/song_protocol.h"
#include "services/json/json_object.h"
#include "state/program_state.h"

namespace larkbay {
namespace {

using namespace names;

const std::vector<ResultColumn> kSongColumns = {
    {"序号", ColumnAlign::Left},   {"歌曲名称", ColumnAlign::Left}, {"歌手", ColumnAlign::Left},
    {"专辑", ColumnAlign::Left},   {"时长", ColumnAlign::Center},   {"标准", ColumnAlign::Center},
    {"高品", ColumnAlign::Center}, {"无损", ColumnAlign::Center},   {"视频", ColumnAlign::Center},
    {"", ColumnAlign::Center},
};

// The column a member of the first song sizes, and how.
struct SizedColumn {
  std::string_view member;
  int column;
  int width;
};
constexpr SizedColumn kSizedColumns[] = {
    {"SongName", 1, kFitToContents}, {"SongArtists", 2, kFitToContents},
    {"SongAlbum", 3, kFitToContents}, {"SongTime", 4, kFitToContents},
    {"HD", 5, kFitToHeader},          {"HQ", 6, kFitToHeader},
    {"SQ", 7, kFitToHeader},          {"SongMV", 8, kFitToHeader},
};

// What a search worker needs of the search, copied when it starts: it never
// reads the shared state while the interface thread may change it.
struct SongJob {
  std::string query;
  std::string lastQuery;
  int page = 0;       // of the page on show
  int pageCount = 0;
  std::string site;
  std::string siteName;
  std::string keyword;
};

std::string Counted(const SearchCounters& c) {
  return "页数[" + std::to_string(c.Page) + "]->数据->[" + std::to_string(c.ListCount) +
         "]->总页数[" + std::to_string(c.PageaCount) + "]->总数据[" + std::to_string(c.DataCount) +
         "]";
}

void ClearRecords(ControlInterface& controls, ProgramState& state) {
  controls.RunOnInterfaceThread([&state] { state.SongRecords.clear(); });
}

void FillPage(SearchContext& context, const SongJob& job, const JsonObject& answer,
              const SearchCounters& counters) {
  ControlInterface& controls = context.controls;
  JsonObject list;
  list.Parse(answer.GetText("List", true));
  controls.SetPosition(kSongProgress, 50);
  ClearRecords(controls, context.state);
  controls.DeleteAllRows(kSongResultList);
  PrepareColumns(controls, kSongResultList, kSongColumns);

  // Rows for the songs the answer holds: a ListCount beyond its List would
  // only add empty rows that play and download nothing.
  const int rows = std::min(counters.ListCount, list.GetCount(""));
  std::vector<SongRecord> records;
  records.reserve(static_cast<size_t>(std::max(rows, 0)));
  std::vector<std::vector<std::string>> cells;
  cells.reserve(records.capacity());
  std::vector<std::string> firstMembers;
  for (int n = 1; n <= rows; ++n) {
    const JsonObject entry = list.GetItemObject(n - 1, "");
    SongRecord song = ReadSongRecord(entry);
    if (n == 1) entry.GetNames(firstMembers, "");
    cells.push_back({std::to_string(n), song.SongName, song.SongArtists, song.SongAlbum,
                     song.SongTime, song.HD != "0" ? kMark : "", song.HQ != "0" ? kMark : "",
                     song.SQ != "0" ? kMark : "", !song.SongMV.empty() ? kMark : ""});
    records.push_back(std::move(song));
  }

  // The rows and widths in one call on the interface thread: one round trip
  // for the page instead of one for each row.
  controls.RunOnInterfaceThread([&] {
    for (int n = 1; n <= rows; ++n) {
      controls.AppendRow(kSongResultList, cells[static_cast<size_t>(n) - 1]);
      // The bar stops at its end: past 50 rows there is nothing to move.
      if (50 + n <= 100) controls.SetPosition(kSongProgress, 50 + n);
    }
    controls.SetColumnWidth(kSongResultList, 0, kFitToHeader);
    for (const std::string& member : firstMembers)
      for (const SizedColumn& sized : kSizedColumns)
        if (member == sized.member)
          controls.SetColumnWidth(kSongResultList, sized.column, sized.width);
    controls.SetColumnWidth(kSongResultList, 9, kFitToHeader);
  });

  controls.RunOnInterfaceThread([&] {
    SongSearchState& search = context.state.songSearch;
    context.state.SongRecords = std::move(records);
    search.LastQuery = job.query;
    search.Page = counters.Page;
    search.ListCount = counters.ListCount;
    search.PageaCount = counters.PageaCount;
    search.DataCount = counters.DataCount;
  });
  controls.SetFontSize(kSongPageLabel, 8);
  controls.SetTextCentred(kSongPageLabel, true);
  controls.SetText(kSongPageLabel, job.siteName + "->" + "->【" + job.keyword + "】\r\n" +
                                       Counted(counters));
  controls.SetEnabled(kSongResultList, true);
}

void ShowAnswer(SearchContext& context, const SongJob& job, std::string_view text);

void RunSongSearch(SearchContext& context, const SongJob& job, WorkerRun& run) {
  ControlInterface& controls = context.controls;
  controls.SetPosition(kSongProgress, 20);
  if (!run.Sleep(std::chrono::milliseconds(200))) return;
  if (job.query.empty() || job.query == job.lastQuery) {
    // The page is on show; a search stopped in its last steps may have left
    // its paging buttons off, so they are set again.
    if (!job.query.empty())
      SetPagingButtons(controls, kSongNextButton, kSongPreviousButton, job.page, job.pageCount);
    controls.SetPosition(kSongProgress, 0);
    return;
  }
  controls.SetPosition(kSongProgress, 30);
  const std::string text =
      context.server.ServerRequest(SongScriptPath(job.site), job.query, 1, 1, &run.cancel);
  if (run.Stopped()) return;
  ShowAnswer(context, job, text);
}

// The worker's part once the answer has come: the list, the label and the
// buttons from it.
void ShowAnswer(SearchContext& context, const SongJob& job, std::string_view text) {
  ControlInterface& controls = context.controls;
  controls.SetPosition(kSongProgress, 40);
  JsonObject answer;
  if (!answer.Parse(text)) {
    ClearRecords(controls, context.state);
    ShowListMessage(controls, kSongResultList, "搜索->" + job.keyword + "->发生错误",
                    kSearchFailedRow);
    controls.SetPosition(kSongProgress, 0);
    return;
  }
  const SearchCounters counters = ReadSearchCounters(answer);
  if (counters.ListCount <= 0) {
    ClearRecords(controls, context.state);
    ShowListMessage(controls, kSongResultList, job.siteName + "->" + "->" + Counted(counters),
                    kSearchDone);
  } else {
    FillPage(context, job, answer, counters);
  }
  SetPagingButtons(controls, kSongNextButton, kSongPreviousButton, counters.Page,
                   counters.PageaCount);
  controls.SetPosition(kSongProgress, 0);
}

SongJob JobFromState(const SongSearchState& search) {
  return SongJob{search.PendingQuery, search.LastQuery, search.Page, search.PageaCount,
                 search.Site, search.SiteName,
                 search.Keyword};
}

void StartSearch(SearchContext& context, std::string query) {
  context.state.songSearch.PendingQuery = std::move(query);
  RestartSongWorker(context);
}

}  // namespace

std::string BuildSongQuery(ControlInterface& controls, SongSearchState& search,
                           std::string_view site, std::string_view type, std::string_view key,
                           int page, std::string_view br, std::string_view mid) {
  std::string siteCode(site);
  if (siteCode.empty()) {
    std::string siteName;
    // Without a chosen site there is nobody to ask.
    if (!SelectedCode(controls, kSongSiteBox, siteCode, siteName) || siteCode.empty()) return {};
    search.Site = siteCode;
    search.SiteName = siteName;
  }
  std::string requestType(type);
  if (requestType.empty()) {
    requestType = kSongSearchType;
    search.Type = requestType;
  }
  std::string keyword(key);
  if (keyword.empty()) {
    keyword = TrimBlanks(controls.GetText(kSongSearchBox));
    if (IsPromptOrEmpty(keyword)) {
      PromptInSearchBox(controls, kSongSearchBox, kEnterKeywordPrompt);
      return {};
    }
    search.Keyword = keyword;
  }
  if (page == 0) {
    page = 1;
    search.Page = 1;
  }
  const std::string bitrate = br.empty() ? std::string(kDefaultSongBitrate) : std::string(br);
  return SongQueryText(siteCode, requestType, keyword, page, bitrate, mid);
}

void RestartSongWorker(SearchContext& context) {
  SongJob job = JobFromState(context.state.songSearch);
  SearchContext* c = &context;
  context.songWorker.Restart(
      [c, job = std::move(job)](WorkerRun& run) { RunSongSearch(*c, job, run); });
}

void OnSongFindClicked(SearchContext& context) {
  StartSearch(context, BuildSongQuery(context.controls, context.state.songSearch, "",
                                      kSongSearchType, "", 0, "", ""));
}

void OnSongSearchKey(SearchContext& context, int keyCode) {
  if (keyCode != 13) return;
  StartSearch(context,
              BuildSongQuery(context.controls, context.state.songSearch, "", "", "", 0, "", ""));
}

void OnSongNextPage(SearchContext& context) {
  const SongSearchState& s = context.state.songSearch;
  StartSearch(context, BuildSongQuery(context.controls, context.state.songSearch, s.Site, s.Type,
                                      s.Keyword, s.Page + 1, "", ""));
}

void OnSongPreviousPage(SearchContext& context) {
  const SongSearchState& s = context.state.songSearch;
  StartSearch(context, BuildSongQuery(context.controls, context.state.songSearch, s.Site, s.Type,
                                      s.Keyword, s.Page - 1, "", ""));
}

void ShowSongSearchAnswer(SearchContext& context, std::string_view answer) {
  ShowAnswer(context, JobFromState(context.state.songSearch), answer);
}

namespace {

std::string& QualityField(SongRecord& song, std::string_view quality) {
  return quality == "ST"   ? song.ST
         : quality == "HD" ? song.HD
         : quality == "HQ" ? song.HQ
         : quality == "SQ" ? song.SQ
                           : song.SongMV;
}

SongRecord* RowSong(SearchContext& context, int row) {
  std::vector<SongRecord>& records = context.state.SongRecords;
  if (row < 1 || static_cast<size_t>(row) > records.size()) return nullptr;
  return &records[static_cast<size_t>(row) - 1];
}

}  // namespace

std::string ResolveSongUrl(SearchContext& context, int row, std::string_view quality) {
  if (SongUrlRequestType(quality).empty()) return {};
  SongRecord* song = RowSong(context, row);
  if (!song) return {};
  std::string& field = QualityField(*song, quality);
  if (field.find("http") != std::string::npos) return field;
  const std::string site = context.state.songSearch.Site;
  const SongRecord asked = *song;
  field = RequestSongUrl(context.server, site, quality, asked);
  return field;
}

void ResolveSongUrlThen(SearchContext& context, int row, std::string_view quality,
                        SongUrlThen then) {
  SongRecord* song = RowSong(context, row);
  const SongRecord asked = song ? *song : SongRecord{};
  if (!song || SongUrlRequestType(quality).empty() ||
      QualityField(*song, quality).find("http") != std::string::npos ||
      !context.addressWorker) {
    then(ResolveSongUrl(context, row, quality), asked);
    return;
  }
  SearchContext* c = &context;
  context.addressWorker->Restart([c, row, asked, quality = std::string(quality),
                                  site = context.state.songSearch.Site,
                                  then = std::move(then)](WorkerRun& run) {
    const std::string url = RequestSongUrl(c->server, site, quality, asked, &run.cancel);
    if (run.Stopped()) return;
    c->controls.RunOnInterfaceThread([&] {
      // A search may have put other songs on the page meanwhile.
      if (SongRecord* now = RowSong(*c, row); now && now->SongID == asked.SongID)
        QualityField(*now, quality) = url;
      then(url, asked);
    });
  });
}

}  // namespace larkbay
