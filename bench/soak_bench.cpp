// A long session in the running program: searches and page changes against
// the reference server, on the real widgets with the engine up, and the
// resident memory they leave behind. The song and DJ pages run side by side,
// as a user may have both busy; each round is a search (page 1) and a change
// to page 2 on each page.
//   larkbay_soak_bench [searches]        (default 1000: 1000 searches and
//                                         1000 page changes in all)
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "app/program.h"
#include "app/windows/main_window.h"
#include "platform/control_names.h"
#include "bench_program.h"
#include "server_run.h"
#include "state/program_state.h"

using namespace larkbay;

namespace {

long ResidentKb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

// One page of the main window: its box, its buttons and where its page is kept.
struct Page {
  const char* box;
  const char* find;
  const char* next;
  const char* keyword;
  std::function<int()> page;
  std::function<bool()> busy;
  int step = 0;  // 0 search, 1 next page
  int done = 0;
};

}  // namespace

int main(int argc, char** argv) {
  bench::PrepareProcess();
  // The engine writes its last files while the application ends: the
  // folder goes after it.
  QTemporaryDir root;
  QApplication app(argc, argv);
  const int searches = argc > 1 ? std::max(20, std::atoi(argv[1])) : 1000;

  bench::UseScratchFolders(root);
  testing::ServerRun server;
  if (!server.Start()) {
    std::fprintf(stderr, "the server did not start\n");
    return 1;
  }
  auto program = bench::StartWithEngine(server.Base().toStdString(), LARKBAY_ENGINE_DIR);
  if (!program) return 1;
  AppProgramState& state = program->State();
  SearchContext& search = program->Search();
  MainWindow* window = program->Main();
  auto find = [window](const char* name) {
    return window->findChild<QWidget*>(QString::fromUtf8(name));
  };

  Page pages[] = {
      {names::kSongSearchBox, names::kSongFindButton, names::kSongNextButton, "林小雨",
       [&] { return state.songSearch.Page; }, [&] { return search.songWorker.Running(); }},
      {names::kDjSearchBox, names::kDjFindButton, names::kDjNextButton, "#all",
       [&] { return state.djSearch.Page; }, [&] { return search.djWorker.Running(); }},
  };
  for (Page& p : pages) qobject_cast<QLineEdit*>(find(p.box))->setText(QString::fromUtf8(p.keyword));

  // Each page in turn starts its next step once its previous one has shown
  // its page; both run at once.
  const int rounds = searches / 2;  // per page
  const int warmup = std::max(5, rounds / 10);
  long before = 0;
  QElapsedTimer clock;
  clock.start();
  int actions = 0;
  bool stuck = false;
  auto advance = [&](Page& p) {
    if (p.done >= rounds || p.busy()) return;
    const int expected = p.step == 0 ? 2 : 1;  // the page the last step left
    if (actions > 0 && p.done + p.step > 0 && p.page() != expected) return;
    auto* button = qobject_cast<QPushButton*>(find(p.step == 0 ? p.find : p.next));
    if (!button->isEnabled()) return;
    button->click();
    ++actions;
    if (p.step == 1) ++p.done;
    p.step ^= 1;
  };
  QElapsedTimer lastProgress;
  lastProgress.start();
  int lastActions = 0;
  while (pages[0].done < rounds || pages[1].done < rounds || pages[0].busy() || pages[1].busy()) {
    if (before == 0 && pages[0].done >= warmup && pages[1].done >= warmup) before = ResidentKb();
    for (Page& p : pages) advance(p);
    if (actions != lastActions) {
      lastActions = actions;
      lastProgress.restart();
    } else if (lastProgress.elapsed() > 20000) {
      stuck = true;
      break;
    }
    QEventLoop loop;
    QTimer::singleShot(2, &loop, &QEventLoop::quit);
    loop.exec();
  }
  const long after = ResidentKb();
  const double seconds = clock.elapsed() / 1000.0;
  if (stuck) {
    std::fprintf(stderr, "a page stopped changing (song %d, DJ %d rounds of %d)\n",
                 pages[0].done, pages[1].done, rounds);
    return 1;
  }
  std::printf("searches %d and page changes %d (song and DJ side by side) in %.0f s\n",
              2 * rounds, 2 * rounds, seconds);
  std::printf("resident after %d warm-up rounds %.1f MB, at the end %.1f MB\n", warmup,
              before / 1024.0, after / 1024.0);
  std::printf("resident growth %+.1f MB\n", (after - before) / 1024.0);
  program.reset();
  return 0;
}
