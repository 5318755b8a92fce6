#pragma once
// The client program: its program-wide values, its windows and the start-up,
// wired together. One per process.

#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/controls/qt_controls.h"
#include "app/desktop/qt_desktop_actions.h"
#include "app/player/gui_thread_page_host.h"
#include "app/player/legacy_page_host.h"
#include "app/startup/init_sequence.h"
#include "app/startup/startup_context.h"
#include "app/startup/startup_flow.h"
#include "app/state/app_state.h"
#include "app/windows/main_window.h"
#include "net/server_request.h"
#include "player/engine_page_host.h"
#include "player/show_player_page.h"
#include "remote/step_context.h"
#include "downloads/download_context.h"
#include "downloads/download_starter.h"
#include "search/search_context.h"
#include "search/search_worker.h"

namespace larkbay {

using InitStepsFactory = std::function<std::vector<InitStep>(StartupContext&)>;

struct ProgramOptions {
  InitStepsFactory steps;              // empty: the program's own steps
  std::string apiBase;                 // empty: ApiBaseUrl()
  std::string dataDir;                 // empty: AppDataDir()
  std::function<void()> endProcess;    // empty: end this process with exit code 0
  std::function<void()> mainWindowShown;
};

class Program {
 public:
  explicit Program(ProgramOptions options = {});
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Loads the main window, which runs the start-up in its modal window; returns
  // when that window has gone (the main window is then shown).
  void Start();

  QtControls& Controls() { return controls_; }
  AppProgramState& State() { return state_; }
  StepContext& Remote() { return remote_; }
  StartupContext& Context() { return context_; }
  EnginePageHost& Engine() { return engineHost_; }
  SearchContext& Search() { return search_; }
  DownloadContext& Downloads() { return downloads_; }
  MainWindow* Main() const { return mainWindow_; }

 private:
  void OpenSiteWindow();
  // Starts the embedded browser in the main window's browser control; any
  // thread (the engine itself runs on the interface thread).
  bool StartEngine(const std::string& engineDir);

  AppProgramState state_;
  QtControls controls_;
  ServerClient server_;
  StepContext remote_;
  // The player strip: the legacy view until the engine has started.
  LegacyPageHost playerHost_;
  EnginePageHost engineHost_;
  GuiThreadPageHost engineFromAnyThread_{engineHost_};
  // One worker per catalogue and one for the address of a row; all joined
  // before the controls go.
  SearchWorker songWorker_;
  SearchWorker djWorker_;
  // Asks for the address of a row to play or download.
  SearchWorker addressWorker_;
  SearchContext search_;
  // Downloads go through the browser once it runs; their size requests run
  // on the starter, stopped before the controls go.
  QtDesktopActions desktop_{controls_};
  DownloadContext downloads_;
  DownloadStarter downloadStarter_;  // after downloads_: joined before it goes
  StartupContext context_;
  QPointer<MainWindow> mainWindow_;
  // The auto-play setting is read when the main window is first activated; a
  // page that finished loading before that gets its click then.
  AutoPlayTiming autoPlayTiming_;
  std::unique_ptr<StartupFlow> flow_;
};

}  // namespace larkbay
