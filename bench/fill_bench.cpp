// How fast a page of song results and one of DJ mixes reach the real list:
// from the answer's arrival on the search worker to the filled list,
// offscreen, with the control calls a page makes, and the
// resident memory a long run of page fills leaves behind.
//   larkbay_fill_bench [fills] [soak fills]     (defaults 50 and 1000)
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/controls/qt_controls.h"
#include "app/widgets/tab_control.h"
#include "app/windows/main_window.h"
#include "platform/control_names.h"
#include "net/server_request.h"
#include "platform/memory_controls.h"
#include "search/dj_search.h"
#include "search/search_worker.h"
#include "search/song_search.h"
#include "state/program_state.h"

using namespace larkbay;

namespace {

// A search answer of `rows` songs, each with every member.
std::string Answer(int rows, int page) {
  std::string list;
  for (int n = 1; n <= rows; ++n) {
    const std::string id = std::to_string(100000 + page * 1000 + n);
    if (!list.empty()) list += ",";
    list += R"({"SongID":")" + id + R"(","SongName":"晴天之后 第)" + std::to_string(n) +
            R"(首","SongArtists":"林小雨","SongAlbum":"城市日记","SongTime":"04:31",)"
            R"("SongMV":"mv)" + id + R"(","media_mid":"338B68FB11EA77","SQ":"1","HQ":"1",)"
            R"("HD":"0","ST":"1"})";
  }
  return R"({"Page":")" + std::to_string(page) + R"(","ListCount":")" + std::to_string(rows) +
         R"(","PageaCount":"10","DataCount":"1000","List":[)" + list + "]}";
}

constexpr char kDjSite[] = "djyy";

// A DJ search answer of `rows` mixes, and the address answer for them.
std::string DjAnswer(int rows, int page) {
  std::string list;
  for (int n = 1; n <= rows; ++n) {
    if (!list.empty()) list += ",";
    list += R"({"SongID":")" + std::to_string(700000 + page * 1000 + n) +
            R"(","SongName":"夜色电音 第)" + std::to_string(n) +
            R"(期","SongPlayUrl":"","SongTime":"62:10","SongFileSize":"85.3MB",)"
            R"("SongUserName":"DJ 小雨","SongClassID":"5","SongImage":"",)"
            R"("SongAddDate":"2026-11-30"})";
  }
  return R"({"Page":")" + std::to_string(page) + R"(","ListCount":")" + std::to_string(rows) +
         R"(","PageaCount":"10","DataCount":"1000","List":[)" + list + "]}";
}

std::string DjAddressAnswer(int rows, int page) {
  std::string members;
  for (int n = 1; n <= rows; ++n) {
    const std::string id = std::to_string(700000 + page * 1000 + n);
    if (!members.empty()) members += ",";
    members += std::string("\"") + kDjSite + "_" + id + R"(":{"HQ":"http://127.0.0.1/dj/)" + id +
               R"(-hq.mp3","ST":"http://127.0.0.1/dj/)" + id + R"(.mp3"})";
  }
  return "{" + members + "}";
}

long ResidentKb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

struct Bench {
  Bench(ControlInterface& c, ProgramState& s) : controls(c), state(s) {
    state.songSearch.SiteName = "小雨音乐";
    state.songSearch.Keyword = "林小雨";
    state.djSearch.Site = kDjSite;
    state.djSearch.SiteName = "小雨DJ";
    state.djSearch.TypeName = "全部";
    state.djSearch.Keyword = "#all";
  }
  // One fill on a search worker, the interface thread serving it; the time
  // from the answer's arrival until the list is filled.
  double Fill(const std::string& answer, int n) {
    state.songSearch.PendingQuery = "page " + std::to_string(n);
    return Timed([this, &answer] { ShowSongSearchAnswer(context, answer); });
  }
  double FillDj(const std::string& answer, const std::string& addresses, int n) {
    state.djSearch.PendingQuery = "page " + std::to_string(n);
    return Timed([&] { ShowDjSearchAnswer(context, answer, addresses); });
  }
  double Timed(const std::function<void()>& body) {
    QElapsedTimer clock;
    clock.start();
    worker.Restart([&body](WorkerRun&) { body(); });
    while (worker.Running()) QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
  }
  ControlInterface& controls;
  ProgramState& state;
  ServerClient server{"http://127.0.0.1:9"};
  SearchWorker worker;
  SearchWorker other;
  SearchContext context{controls, state, server, worker, other};
};

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int fills = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
  const int soakFills = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1000;
  const std::string pageA = Answer(100, 1);
  const std::string pageB = Answer(100, 2);
  const std::string djA = DjAnswer(100, 1), djAddressesA = DjAddressAnswer(100, 1);
  const std::string djB = DjAnswer(100, 2), djAddressesB = DjAddressAnswer(100, 2);

  // The control calls of one page, counted where every call is recorded.
  MemoryControls memory;
  memory.Add("Song_超级列表框_搜索结果");
  ProgramState memoryState;
  Bench counted(memory, memoryState);
  counted.Fill(pageA, 0);
  const size_t calls = memory.Calls().size();
  memory.Add("DJ_超级列表框_搜索结果");
  const size_t beforeDj = memory.Calls().size();
  counted.FillDj(djA, djAddressesA, 0);
  const size_t djCalls = memory.Calls().size() - beforeDj;

  QtControls controls;
  auto* window = new MainWindow;
  controls.RegisterWindow(window);
  window->show();
  ProgramState state;
  Bench bench(controls, state);
  // Each list is filled while its page is the one on show, as a user sees it.
  auto* tabs = window->findChild<TabControl*>(QString::fromUtf8(names::kTabControl));
  tabs->SetCurrentIndex(1);
  for (int i = 0; i < 5; ++i) bench.Fill(i % 2 ? pageB : pageA, i);  // warm up
  std::vector<double> times;
  for (int i = 0; i < fills; ++i) times.push_back(bench.Fill(i % 2 ? pageB : pageA, 10 + i));
  std::sort(times.begin(), times.end());
  const double median = times[times.size() / 2];
  tabs->SetCurrentIndex(0);
  for (int i = 0; i < 5; ++i) bench.FillDj(i % 2 ? djB : djA, i % 2 ? djAddressesB : djAddressesA, i);
  std::vector<double> djTimes;
  for (int i = 0; i < fills; ++i)
    djTimes.push_back(bench.FillDj(i % 2 ? djB : djA, i % 2 ? djAddressesB : djAddressesA, 10 + i));
  std::sort(djTimes.begin(), djTimes.end());

  const long before = ResidentKb();
  for (int i = 0; i < soakFills; ++i) {
    bench.Fill(i % 2 ? pageB : pageA, 100000 + i);
    bench.FillDj(i % 2 ? djB : djA, i % 2 ? djAddressesB : djAddressesA, 100000 + i);
  }
  const long after = ResidentKb();

  std::printf("| figure | value |\n|---|---|\n");
  std::printf("| 100-row song page, answer to filled list (median of %d) | %.2f ms |\n", fills,
              median);
  std::printf("| fastest / slowest song fill | %.2f / %.2f ms |\n", times.front(), times.back());
  std::printf("| control calls per song page | %zu |\n", calls);
  std::printf("| 100-row DJ page, answer to filled list (median of %d) | %.2f ms |\n", fills,
              djTimes[djTimes.size() / 2]);
  std::printf("| fastest / slowest DJ fill | %.2f / %.2f ms |\n", djTimes.front(), djTimes.back());
  std::printf("| control calls per DJ page | %zu |\n", djCalls);
  std::printf("| resident memory over %d more fills of each | %+.1f MB (%.1f -> %.1f MB) |\n",
              soakFills,
              static_cast<double>(after - before) / 1024.0, static_cast<double>(before) / 1024.0,
              static_cast<double>(after) / 1024.0);
  delete window;
  return 0;
}
