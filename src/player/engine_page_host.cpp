#include "player/engine_page_host.h"

#include <utility>

namespace larkbay {
namespace {

// The events the program handles; every other one is left to the engine.
constexpr int kHandledEvents[] = {AQUA_EVENT_SETTINGS,        AQUA_EVENT_COMMAND_LINE,
                                  AQUA_EVENT_CONTEXT_READY,   AQUA_EVENT_BROWSER_CREATED,
                                  AQUA_EVENT_LOAD_END,        AQUA_EVENT_CONTEXT_MENU,
                                  AQUA_EVENT_BEFORE_DOWNLOAD, AQUA_EVENT_DOWNLOAD_UPDATED};

// A download of the engine during one of its events: the queries read the
// item, the answers go to the event's callback (the one the event allows).
class EngineDownloadItem : public DownloadItem {
 public:
  EngineDownloadItem(const EngineLibrary& engine, const AquaEventArgs& args)
      : engine_(engine), args_(args) {}
  int Id() const override { return engine_.AquaDownloadGetId(args_.download); }
  bool IsInProgress() const override { return engine_.AquaDownloadIsInProgress(args_.download); }
  bool IsComplete() const override { return engine_.AquaDownloadIsComplete(args_.download); }
  bool IsCanceled() const override { return engine_.AquaDownloadIsCanceled(args_.download); }
  int PercentComplete() const override {
    return engine_.AquaDownloadGetPercentComplete(args_.download);
  }
  std::int64_t TotalBytes() const override {
    return engine_.AquaDownloadGetTotalBytes(args_.download);
  }
  std::int64_t ReceivedBytes() const override {
    return engine_.AquaDownloadGetReceivedBytes(args_.download);
  }
  int InterruptReason() const override {
    return engine_.AquaDownloadGetInterruptReason(args_.download);
  }
  int Resumptions() const override { return engine_.AquaDownloadGetResumeCount(args_.download); }
  void Continue(std::string_view path) override {
    if (!args_.before_download) return;
    const std::string target(path);
    engine_.AquaDownloadCallbackContinue(args_.before_download, target.c_str(), false);
  }
  void Pause() override {
    if (args_.download_callback) engine_.AquaDownloadItemCallbackPause(args_.download_callback);
  }
  void Resume() override {
    if (args_.download_callback) engine_.AquaDownloadItemCallbackResume(args_.download_callback);
  }
  void Cancel() override {
    if (args_.download_callback) engine_.AquaDownloadItemCallbackCancel(args_.download_callback);
  }

 private:
  const EngineLibrary& engine_;
  const AquaEventArgs& args_;
};

}  // namespace

EnginePageHost::EnginePageHost(std::string dataDir) : dataDir_(std::move(dataDir)) {}

EnginePageHost::~EnginePageHost() { ShutDown(); }

bool EnginePageHost::Start(const std::string& engineDir, const BrowserParent& parent) {
  if (started_) return running_;
  started_ = true;
  parent_ = parent;
  if (!engine_.Open(engineDir + kEngineLibraryFile, &failure_)) return false;
  for (int event : kHandledEvents) engine_.AquaBind(event, &EnginePageHost::Dispatch, this);
  if (engine_.AquaDoWinMain() != 0) {
    failure_ = "the engine did not start";
    for (int event : kHandledEvents) engine_.AquaBind(event, nullptr, nullptr);
    return false;
  }
  failure_.clear();
  running_ = true;
  return true;
}

void EnginePageHost::ShutDown() {
  if (!running_) return;
  running_ = false;
  for (auto& [id, item] : downloads_) engine_.AquaRelease(item);
  downloads_.clear();
  for (int event : kHandledEvents) engine_.AquaBind(event, nullptr, nullptr);
  engine_.AquaManagerCloseAllBrowser();
  engine_.AquaQuitProcess();
}

bool EnginePageHost::Dispatch(int event, const AquaEventArgs* args, void* self) {
  if (!args || !self) return false;
  return static_cast<EnginePageHost*>(self)->Handle(event, *args);
}

bool EnginePageHost::Handle(int event, const AquaEventArgs& args) {
  if (onEvent) onEvent(event);
  switch (event) {
    case AQUA_EVENT_SETTINGS:
      OnEngineSettings(engine_, args.settings, dataDir_);
      return false;
    case AQUA_EVENT_COMMAND_LINE:
      OnEngineCommandLine(engine_, args.command_line);
      return false;
    case AQUA_EVENT_CONTEXT_READY:
      OnEngineReady(engine_, parent_);
      return false;
    case AQUA_EVENT_BROWSER_CREATED:
      // There is one browser; it is never created again.
      if (browserHandle_ == 0) browserHandle_ = OnBrowserCreated(engine_, args.browser);
      return false;
    case AQUA_EVENT_LOAD_END:
      if (onLoadFinished) onLoadFinished();
      return false;
    case AQUA_EVENT_CONTEXT_MENU:
      return OnContextMenu();
    case AQUA_EVENT_BEFORE_DOWNLOAD:
      if (args.download) {
        const int id = engine_.AquaDownloadGetId(args.download);
        if (downloads_.emplace(id, args.download).second) engine_.AquaAddRef(args.download);
      }
      if (onBeforeDownload && args.download) {
        EngineDownloadItem item(engine_, args);
        onBeforeDownload(item);
      }
      return false;
    case AQUA_EVENT_DOWNLOAD_UPDATED:
      if (onDownloadUpdated && args.download) {
        EngineDownloadItem item(engine_, args);
        onDownloadUpdated(item);
      }
      return false;
    default:
      return false;
  }
}

AquaBrowser* EnginePageHost::FindBrowser() const {
  if (!running_ || browserHandle_ == 0) return nullptr;
  return engine_.AquaManagerQueryActor(browserHandle_);
}

AquaFrame* EnginePageHost::MainFrame() const {
  AquaBrowser* browser = FindBrowser();
  if (!browser) return nullptr;
  AquaFrame* frame = engine_.AquaBrowserGetMainFrame(browser);
  engine_.AquaRelease(browser);
  return frame;
}

bool EnginePageHost::LoadPage(std::string_view pageText) {
  AquaFrame* frame = MainFrame();
  if (!frame) return false;
  const std::string html(pageText);
  engine_.AquaFrameLoadStringA(frame, html.c_str(), "about:blank");
  engine_.AquaRelease(frame);
  ++pagesHanded_;
  return true;
}

bool EnginePageHost::RunScript(std::string_view script) {
  AquaFrame* frame = MainFrame();
  if (!frame) return false;
  const std::string text(script);
  engine_.AquaFrameExecuteJavaScriptA(frame, text.c_str(), "about:blank", 0);
  engine_.AquaRelease(frame);
  return true;
}

bool EnginePageHost::EvaluateScript(std::string_view script,
                                    std::function<void(std::string)> done) {
  AquaFrame* frame = MainFrame();
  if (!frame) return false;
  using Done = std::function<void(std::string)>;
  auto* pending = new Done(std::move(done));
  const std::string text(script);
  engine_.AquaFrameEvaluateJavaScriptA(
      frame, text.c_str(),
      [](const char* result, void* userData) {
        auto* call = static_cast<Done*>(userData);
        if (*call) (*call)(result ? result : "");
        delete call;
      },
      pending);
  engine_.AquaRelease(frame);
  return true;
}

bool EnginePageHost::NudgeDownload(int id) {
  const auto found = downloads_.find(id);
  if (!running_ || found == downloads_.end()) return false;
  engine_.AquaDownloadRaiseUpdated(found->second);
  return true;
}

bool EnginePageHost::StartDownload(std::string_view url) {
  AquaBrowser* browser = FindBrowser();
  if (!browser) return false;
  AquaBrowserHost* host = engine_.AquaBrowserGetHost(browser);
  engine_.AquaRelease(browser);
  if (!host) return false;
  const std::string address(url);
  engine_.AquaBrowserHostStartDownloadA(host, address.c_str());
  engine_.AquaRelease(host);
  return true;
}

}  // namespace larkbay
