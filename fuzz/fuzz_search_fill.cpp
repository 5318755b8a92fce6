// A result page filled from an arbitrary answer on the in-memory controls:
// the song search's or the DJ search's answer (the DJ one with the answer of
// its address request), as a worker shows it once the server has answered.
// Checks what the list must look like afterwards: one row per record and the
// record's own texts in it, the page's counters in the state, the progress bar
// back at 0, the same page again from the same answer, and the playing mix
// marked on its row only.
//
// Input: one control byte (bit 0: DJ instead of songs), then the answer; for
// the DJ search the address answer follows the first "\n--\n".

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "net/server_request.h"
#include "platform/control_names.h"
#include "platform/memory_controls.h"
#include "search/cell_colours.h"
#include "search/dj_search.h"
#include "search/search_worker.h"
#include "search/song_search.h"
#include "state/program_state.h"

namespace {

using namespace larkbay;
using namespace larkbay::names;

void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

// Nothing is asked of it: the answers come from the input.
struct Page {
  Page() {
    MemoryControls::Control list;
    list.rect = {0, 0, 620, 300};
    controls.Add(kSongResultList, list);
    controls.Add(kDjResultList, list);
    for (const char* name : {kSongNextButton, kSongPreviousButton, kSongPageLabel, kSongProgress,
                             kDjNextButton, kDjPreviousButton, kDjPageLabel, kDjProgress,
                             kDjInfoPanel})
      controls.Add(name);
    state.songSearch.PendingQuery = "web=xy&type=Search&key=a&page=1&br=ST&mid=";
    state.songSearch.Site = "xy";
    state.songSearch.SiteName = "小雨音乐";
    state.songSearch.Keyword = "a";
    state.djSearch.PendingQuery = "web=dj&type=all&Sort=desc&key=a&page=1";
    state.djSearch.Site = "dj";
    state.djSearch.SiteName = "DJ";
    state.djSearch.TypeName = "全部";
    state.djSearch.Keyword = "a";
  }

  MemoryControls controls;
  ProgramState state;
  ServerClient client{"http://127.0.0.1:9"};
  SearchWorker songWorker;
  SearchWorker djWorker;
  SearchContext context{controls, state, client, songWorker, djWorker};
};

void CheckSongs(std::string_view answer) {
  Page page;
  ShowSongSearchAnswer(page.context, answer);
  const MemoryControls::Control list = page.controls.Get(kSongResultList);
  const std::vector<SongRecord>& records = page.state.SongRecords;
  if (page.controls.Get(kSongProgress).position != 0) Fail("the song progress stays on");
  if (list.columns.size() == 1) {
    // A failure or an empty page: one message row, no songs.
    if (list.rows.size() != 1 || !records.empty()) Fail("a message with songs");
    return;
  }
  if (list.rows.size() != records.size()) Fail("song rows and records differ in number");
  if (records.empty()) return;
  if (static_cast<int>(records.size()) > page.state.songSearch.ListCount)
    Fail("more songs than the answer's ListCount");
  for (size_t n = 0; n < records.size(); ++n) {
    const std::vector<std::string>& row = list.rows[n];
    if (row.size() < 4 || row[0] != std::to_string(n + 1) || row[1] != records[n].SongName ||
        row[2] != records[n].SongArtists || row[3] != records[n].SongAlbum)
      Fail("a song row shows other texts than its record");
  }
  if (page.state.songSearch.LastQuery != page.state.songSearch.PendingQuery)
    Fail("a filled song page keeps another query");

  // The same answer again gives the same page.
  ShowSongSearchAnswer(page.context, answer);
  if (page.controls.Get(kSongResultList).rows != list.rows) Fail("the same answer, another page");
}

void CheckMixes(std::string_view answer, std::string_view addresses) {
  Page page;
  ShowDjSearchAnswer(page.context, answer, addresses);
  const MemoryControls::Control list = page.controls.Get(kDjResultList);
  const std::vector<DjRecord> records = page.state.DjRecords;
  if (page.controls.Get(kDjProgress).position != 0) Fail("the DJ progress stays on");
  if (list.columns.size() == 1) {
    if (list.rows.size() != 1 || !records.empty()) Fail("a message with mixes");
    return;
  }
  if (list.rows.size() != records.size()) Fail("mix rows and records differ in number");
  // An answer whose List holds none of the mixes it counts fills no rows.
  if (records.empty()) return;
  if (static_cast<int>(records.size()) > page.state.djSearch.ListCount)
    Fail("more mixes than the answer's ListCount");
  for (size_t n = 0; n < records.size(); ++n) {
    const std::vector<std::string>& row = list.rows[n];
    if (row.size() < 6 || row[0] != records[n].SongID || row[1] != records[n].SongName ||
        row[4] != records[n].SongUserName || row[5] != records[n].SongAddDate)
      Fail("a mix row shows other texts than its record");
  }

  // The last mix plays; the same page again marks its row and no other.
  const int playing = static_cast<int>(records.size());
  page.state.djSearch.PlayingDjRow = playing;
  page.state.djSearch.PlayingDjId = records.back().SongID;
  ShowDjSearchAnswer(page.context, answer, addresses);
  if (page.controls.Get(kDjResultList).rows != list.rows) Fail("the same answer, another page");
  const std::vector<CellColour>* marked = FindCellColours(page.context.cellColours, kDjResultList);
  if (marked == nullptr || marked->empty()) Fail("the playing mix is not marked");
  for (const CellColour& cell : *marked)
    if (cell.row != playing - 1) Fail("a mix that does not play is marked");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  if ((data[0] & 1) == 0) {
    CheckSongs(input);
  } else {
    const size_t cut = input.find("\n--\n");
    const std::string_view answer = input.substr(0, cut);
    const std::string_view addresses =
        cut == std::string_view::npos ? std::string_view() : input.substr(cut + 4);
    CheckMixes(answer, addresses);
  }
  return 0;
}
