#include "app/settings/settings_menu.h"

#include "app/state/app_state.h"
#include "platform/config_ini.h"
#include "services/menu/popup_menu.h"

namespace larkbay {

void SettingsMenu(AppProgramState& state, QWidget* mainWindow) {
  if (!state.SysMenu.AttachSystemMenu(mainWindow)) return;
  PopupMenu settings;
  settings.CreatePopup();
  settings.AppendItem("自动播放", kAutoPlayCommand);
  if (ReadAutoPlay()) {
    state.appState.AutoPlay = true;
    settings.SetItemState(kAutoPlayCommand, kMenuStateChecked, false);
  }
  state.SysMenu.AppendSubmenu(settings, "播放器-设置");
  settings.Destroy();  // the system menu keeps the submenu
}

void ToggleAutoPlay(AppProgramState& state) {
  state.appState.AutoPlay = !state.appState.AutoPlay;
  state.SysMenu.SetItemState(kAutoPlayCommand, state.appState.AutoPlay ? kMenuStateChecked : 0,
                             false);
  WriteAutoPlay(state.appState.AutoPlay);
}

}  // namespace larkbay
