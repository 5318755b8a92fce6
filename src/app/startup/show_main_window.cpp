#include "app/startup/show_main_window.h"

#include "platform/control_interface.h"
#include "platform/control_names.h"
#include "state/program_state.h"

namespace larkbay {

void ShowMainWindow(ControlInterface& controls, ProgramState& state,
                    const std::function<void()>& installDispatcher) {
  const ControlRect tabs = controls.GetRect(names::kTabControl);
  ControlRect window = controls.GetRect(names::kMainWindow);
  window.height = tabs.top + tabs.height + 30;
  controls.SetRect(names::kMainWindow, window);
  controls.SetText(names::kDjSearchBox, "#all");
  controls.SetText(names::kSongSearchBox, kDefaultSongKeyword);
  controls.SetText(names::kSavePathBox, state.appState.SavePath);
  if (installDispatcher) installDispatcher();
  controls.SetVisible(names::kMainWindow, true);
}

}  // namespace larkbay
