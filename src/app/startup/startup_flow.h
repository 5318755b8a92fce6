#pragma once
// The life of the start-up: the main window's creation opens the start-up
// window; its first activation starts the sequence on a worker; its
// destruction either shows the main window (start-up done) or ends the
// process (closed early, or the user declined to replace a running copy).

#include <functional>
#include <thread>
#include <vector>

#include "app/startup/init_sequence.h"

namespace larkbay {

class ControlInterface;
struct ProgramState;

struct StartupHooks {
  std::function<void()> settingsMenu;       // main window first activated
  std::function<void()> installDispatcher;  // part of showing the main window
  std::function<void()> shutDownBrowser;    // main window about to be destroyed
  std::function<void()> endProcess;         // start-up window gone before the end
  std::function<void()> mainWindowShown;    // optional: after the first activation
};

class StartupFlow {
 public:
  StartupFlow(ControlInterface& controls, ProgramState& state, std::vector<InitStep> steps,
              StartupHooks hooks);
  // Waits for the worker when it is still running.
  ~StartupFlow();
  StartupFlow(const StartupFlow&) = delete;
  StartupFlow& operator=(const StartupFlow&) = delete;

  // Binds the window and timer events. Interface thread, before the main
  // window is loaded.
  void Bind();

 private:
  void OnStartupDestroyed();

  ControlInterface& controls_;
  ProgramState& state_;
  std::vector<InitStep> steps_;
  StartupHooks hooks_;
  std::thread worker_;
};

}  // namespace larkbay
