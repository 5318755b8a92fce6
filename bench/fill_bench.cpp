// How fast a page of song results reaches the real list: from the answer's
// arrival on the search worker to the filled list, offscreen, with the
// interface-thread round trips a page costs, and the resident memory a long
// run of page fills leaves behind.
//   larkbay_fill_bench [fills] [soak fills]     (defaults 50 and 1000)
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/controls/qt_controls.h"
#include "app/windows/main_window.h"
#include "net/server_request.h"
#include "platform/memory_controls.h"
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
  }
  // One fill on a search worker, the interface thread serving it; the time
  // from the answer's arrival until the list is filled.
  double Fill(const std::string& answer, int n) {
    state.songSearch.PendingQuery = "page " + std::to_string(n);
    QElapsedTimer clock;
    clock.start();
    worker.Restart([this, &answer](WorkerRun&) { ShowSongSearchAnswer(context, answer); });
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

  // The control calls of one page, counted where every call is recorded.
  MemoryControls memory;
  memory.Add("Song_超级列表框_搜索结果");
  ProgramState memoryState;
  Bench counted(memory, memoryState);
  counted.Fill(pageA, 0);
  const size_t calls = memory.Calls().size();

  QtControls controls;
  auto* window = new MainWindow;
  controls.RegisterWindow(window);
  window->show();
  ProgramState state;
  Bench bench(controls, state);
  for (int i = 0; i < 5; ++i) bench.Fill(i % 2 ? pageB : pageA, i);  // warm up
  std::vector<double> times;
  for (int i = 0; i < fills; ++i) times.push_back(bench.Fill(i % 2 ? pageB : pageA, 10 + i));
  std::sort(times.begin(), times.end());
  const double median = times[times.size() / 2];

  const long before = ResidentKb();
  for (int i = 0; i < soakFills; ++i) bench.Fill(i % 2 ? pageB : pageA, 100000 + i);
  const long after = ResidentKb();

  std::printf("| figure | value |\n|---|---|\n");
  std::printf("| 100-row page, answer to filled list (median of %d) | %.2f ms |\n", fills, median);
  std::printf("| fastest / slowest fill | %.2f / %.2f ms |\n", times.front(), times.back());
  std::printf("| interface-thread round trips per page | %zu |\n", calls);
  std::printf("| resident memory over %d more fills | %+.1f MB (%.1f -> %.1f MB) |\n", soakFills,
              static_cast<double>(after - before) / 1024.0, static_cast<double>(before) / 1024.0,
              static_cast<double>(after) / 1024.0);
  delete window;
  return 0;
}
