#include "app/startup/show_main_window.h"

#include "state/program_state.h"
#include "platform/control_interface.h"

namespace larkbay {

void ShowMainWindow(ControlInterface& controls, ProgramState& state,
                    const std::function<void()>& installDispatcher) {
  const ControlRect tabs = controls.GetRect(kTabControlName);
  ControlRect window = controls.GetRect(kMainWindowName);
  window.height = tabs.top + tabs.height + 30;
  controls.SetRect(kMainWindowName, window);
  controls.SetText("DJ_编辑框_搜索文本", "#all");
  controls.SetText("Song_编辑框_搜索文本", kDefaultSongKeyword);
  controls.SetText("编辑框_保存位置", state.appState.SavePath);
  if (installDispatcher) installDispatcher();
  controls.SetVisible(kMainWindowName, true);
}

}  // namespace larkbay
