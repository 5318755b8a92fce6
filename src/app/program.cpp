#include "app/program.h"

#include <QApplication>
#include <QFileInfo>
#include <QMetaObject>
#include <QThread>
#include <QWidget>

#include "app/commands/main_window_commands.h"
#include "app/settings/settings_menu.h"
#include "app/startup/init_steps.h"
#include "app/windows/download_bindings.h"
#include "app/windows/main_window.h"
#include "app/windows/search_bindings.h"
#include "app/windows/site_window.h"
#include "app/windows/site_window_binding.h"
#include "app/windows/startup_window.h"
#include "aquarius_sandbox.h"
#include "net/api_base.h"
#include "net/tls_trust.h"
#include "platform/app_data_dir.h"
#include "platform/config_ini.h"
#include "platform/control_names.h"
#include "platform/processes.h"
#include "platform/special_folder.h"
#include "player/asset_root.h"
#include "player/show_player_page.h"
#include "remote/remote_paths.h"
#include "services/log/developer_log.h"

namespace larkbay {
namespace {

// Where an installed program keeps its updater and engine pack:
// <prefix>/lib/lark-bay/ beside <prefix>/bin/lark-bay; "" when there is no
// such folder (a program run from its build).
std::string BundledDir() {
  const QFileInfo folder(QCoreApplication::applicationDirPath() +
                         QStringLiteral("/../lib/lark-bay"));
  return folder.isDir() ? folder.canonicalFilePath().toStdString() + "/" : std::string();
}

}  // namespace

Program::Program(ProgramOptions options)
    : server_(options.apiBase.empty() ? ApiBaseUrl() : options.apiBase),
      remote_{controls_, state_, server_,
              options.dataDir.empty() ? AppDataDir() : options.dataDir,
              options.apiBase.empty() ? DefaultAssetRoot() : AssetRootFor(options.apiBase)},
      playerHost_(controls_, remote_.dataDir),
      engineHost_(remote_.dataDir),
      search_{controls_, state_, server_, songWorker_, djWorker_, &playerHost_, remote_.assetRoot},
      downloads_{controls_, state_, nullptr, &desktop_, &downloadStarter_},
      context_{controls_, state_, &remote_, &playerHost_} {
  search_.addressWorker = &addressWorker_;
  controls_.AddWindowFactory(names::kMainWindow, [this] {
    mainWindow_ = new MainWindow;
    return mainWindow_.data();
  });
  controls_.AddWindowFactory(names::kStartupWindow, [] { return new StartupWindow; });
  controls_.AddWindowFactory(names::kSiteWindow, [this] { return new SiteWindow(mainWindow_); });

  StartupHooks hooks;
  hooks.settingsMenu = [this] {
    SettingsMenu(state_, mainWindow_);
    if (autoPlayTiming_.SettingRead(engineHost_.PagesHandedOver()) && context_.pageHost)
      OnPageLoadFinished(state_, *context_.pageHost);
  };
  hooks.installDispatcher = [this] {
    if (mainWindow_) InstallCommandDispatcher(*mainWindow_, state_, MainWindowCommands(state_, &search_, &downloads_));
  };
  hooks.shutDownBrowser = [this] { engineHost_.ShutDown(); };
  hooks.endProcess = options.endProcess;
  if (!hooks.endProcess) hooks.endProcess = [] { KillProcess(0, false); };
  remote_.endProcess = hooks.endProcess;
  remote_.desktopDir = SpecialFolder(kDesktopFolder);
  remote_.bundledDir = BundledDir();
  // Before the first exchange: a private CA named in the settings.
  SetConfiguredCaFile(ReadCaFile(remote_.dataDir + std::string(kConfigIniFile)));
  remote_.startEngine = [this](const std::string& engineDir) { return StartEngine(engineDir); };
  engineHost_.onLoadFinished = [this] {
    if (autoPlayTiming_.PageLoaded(engineHost_.PagesHandedOver()))
      OnPageLoadFinished(state_, engineHost_);
  };
  hooks.mainWindowShown = options.mainWindowShown;
  std::vector<InitStep> steps =
      options.steps ? options.steps(context_) : DefaultInitSteps(context_);
  flow_ = std::make_unique<StartupFlow>(controls_, state_, std::move(steps), std::move(hooks));
  flow_->Bind();

  BindSiteWindow(controls_, state_, remote_.dataDir);
  BindSongSearch(controls_, search_);
  BindDjSearch(controls_, search_);
  BindDownloads(controls_, downloads_);
  BindDownloadEvents(engineHost_, downloads_);
  BindPlayerView(controls_, remote_.dataDir, &playerHost_);
  controls_.Bind(names::kDjSiteCover, ControlEvent::LeftButtonReleased,
                 [this](const ControlEventArgs&) {
                   OpenSiteWindow();
                   return false;
                 });
}

Program::~Program() {
  songWorker_.Stop();
  djWorker_.Stop();
  addressWorker_.Stop();
  downloadStarter_.Stop();
  flow_.reset();  // waits for the start-up worker, which uses the controls
  delete mainWindow_.data();
}

void Program::Start() { controls_.LoadWindow(names::kMainWindow, false); }

bool Program::StartEngine(const std::string& engineDir) {
  // The sandbox is the user's to switch off, never the program's: as root
  // without it the engine is not loaded at all and the legacy player serves.
  if (!aquarius::BrowserMayStart()) {
    DevLog(LogArea::kStartup,
           "running as root: the browser's sandbox cannot start and is off only when "
           "QTWEBENGINE_DISABLE_SANDBOX=1 is set; playing with the legacy player");
    return false;
  }
  bool started = false;
  auto start = [&] {
    QWidget* strip = controls_.FindWidget(names::kBrowserControl);
    if (!strip) return;
    const BrowserParent parent{reinterpret_cast<std::uintptr_t>(strip), strip->width(),
                               strip->height()};
    started = engineHost_.Start(engineDir, parent);
    // From now on pages go to the browser.
    if (started) {
      context_.pageHost = &engineFromAnyThread_;
      search_.pageHost = &engineHost_;
      downloads_.pageHost = &engineHost_;
    } else {
      DevLog(LogArea::kStartup, "the browser engine in " + engineDir +
                                    " did not start: " + engineHost_.Failure());
    }
  };
  if (QThread::currentThread() == qApp->thread())
    start();
  else
    QMetaObject::invokeMethod(qApp, start, Qt::BlockingQueuedConnection);
  return started;
}

void Program::OpenSiteWindow() {
  if (controls_.Exists(names::kSiteWindow)) return;
  controls_.LoadWindow(names::kSiteWindow, true);
}

}  // namespace larkbay
