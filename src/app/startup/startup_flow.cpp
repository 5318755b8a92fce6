#include "app/startup/startup_flow.h"

#include "app/startup/console_log.h"
#include "app/startup/show_main_window.h"
#include "platform/control_interface.h"
#include "platform/control_names.h"
#include "state/program_state.h"

namespace larkbay {

StartupFlow::StartupFlow(ControlInterface& controls, ProgramState& state,
                         std::vector<InitStep> steps, StartupHooks hooks)
    : controls_(controls), state_(state), steps_(std::move(steps)), hooks_(std::move(hooks)) {}

StartupFlow::~StartupFlow() {
  if (worker_.joinable()) worker_.join();
}

void StartupFlow::Bind() {
  auto run = [](const std::function<void()>& hook) {
    return [&hook](const ControlEventArgs&) {
      if (hook) hook();
      return false;
    };
  };
  controls_.Bind(names::kMainWindow, ControlEvent::Created, [this](const ControlEventArgs&) {
    controls_.LoadWindow(names::kStartupWindow, true);
    return false;
  });
  controls_.Bind(names::kMainWindow, ControlEvent::FirstActivated, [this](const ControlEventArgs&) {
    if (hooks_.settingsMenu) hooks_.settingsMenu();
    if (hooks_.mainWindowShown) hooks_.mainWindowShown();
    return false;
  });
  controls_.Bind(names::kMainWindow, ControlEvent::AboutToBeDestroyed, run(hooks_.shutDownBrowser));

  controls_.Bind(names::kStartupWindow, ControlEvent::Created, [this](const ControlEventArgs&) {
    state_.appState.VersionNumber = kVersionNumber;
    state_.appState.VersionText = kVersionText;
    return false;
  });
  controls_.Bind(
      names::kStartupWindow, ControlEvent::FirstActivated, [this](const ControlEventArgs&) {
        controls_.SetText(names::kVersionLabel, "主程序版本：" + state_.appState.VersionText);
        if (!worker_.joinable()) {
          worker_ = std::thread([this] { InitSequence(controls_, state_, steps_); });
        }
        return false;
      });
  controls_.Bind(names::kStartupWindow, ControlEvent::AboutToBeDestroyed,
                 [this](const ControlEventArgs&) {
                   OnStartupDestroyed();
                   return false;
                 });
  controls_.Bind(names::kStartupTimer, ControlEvent::Tick, [this](const ControlEventArgs&) {
    ConsoleAddDot(controls_);
    return false;
  });
}

void StartupFlow::OnStartupDestroyed() {
  if (!state_.InitDone.load()) {
    // Closed before the sequence finished, or this copy gave way to a running
    // one: the process ends here, the worker with it.
    if (hooks_.endProcess) hooks_.endProcess();
    return;
  }
  // The worker's last act was asking for this destruction.
  if (worker_.joinable()) worker_.join();
  ShowMainWindow(controls_, state_, hooks_.installDispatcher);
}

}  // namespace larkbay
