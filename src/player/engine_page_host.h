#pragma once
// The page host of the embedded browser: libaquarius.so loaded from the
// engine folder, its events bound to the program's handlers, pages and
// scripts handed to the one browser it creates.
//
// Everything here runs on the interface thread, where the engine raises its
// events.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "player/engine_events.h"
#include "player/engine_library.h"
#include "player/page_host.h"

namespace larkbay {

class EnginePageHost : public PageHost {
 public:
  // `dataDir` ends with "/": the profile goes to its "Userdata" folder.
  explicit EnginePageHost(std::string dataDir);
  ~EnginePageHost() override;
  EnginePageHost(const EnginePageHost&) = delete;
  EnginePageHost& operator=(const EnginePageHost&) = delete;

  // Loads the library from `engineDir` (ending with "/"), binds the events and
  // runs the engine, whose browser fills `parent`. True when the engine runs;
  // a second call answers whether the first one succeeded.
  bool Start(const std::string& engineDir, const BrowserParent& parent);
  bool Running() const { return running_; }
  // Why the last Start failed; empty after a good one.
  const std::string& Failure() const { return failure_; }
  // The browser's host window; 0 until the browser has been created.
  std::uintptr_t BrowserHandle() const { return browserHandle_; }

  // Closes the browser and ends the engine. Nothing reaches the host after
  // this; the library stays loaded.
  void ShutDown();

  bool LoadPage(std::string_view pageText) override;
  // Pages handed to the browser so far.
  int PagesHandedOver() const { return pagesHanded_; }
  bool RunScript(std::string_view script) override;
  bool StartDownload(std::string_view url) override;
  bool NudgeDownload(int id) override;

  // Runs `script` in the page shown and hands its value (as text) to `done`
  // later, on the interface thread. False when there is no page.
  bool EvaluateScript(std::string_view script, std::function<void(std::string)> done);

  // Every engine event the host receives, before it is handled; for the
  // program's own checks.
  std::function<void(int event)> onEvent;

 private:
  static bool Dispatch(int event, const AquaEventArgs* args, void* self);
  bool Handle(int event, const AquaEventArgs& args);
  // The browser and its main frame, or nulls before event 9 or after the
  // shutdown; both references are the caller's to release.
  AquaBrowser* FindBrowser() const;
  AquaFrame* MainFrame() const;

  std::string dataDir_;
  EngineLibrary engine_;
  BrowserParent parent_;
  std::uintptr_t browserHandle_ = 0;
  bool started_ = false;
  bool running_ = false;
  int pagesHanded_ = 0;
  std::string failure_;
  // Every download the engine has told of, by id; one reference each, given
  // back at the shutdown.
  std::map<int, AquaDownloadItem*> downloads_;
};

}  // namespace larkbay
