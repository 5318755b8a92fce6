#include "app/commands/main_window_commands.h"

#include "app/settings/settings_menu.h"
#include "app/state/app_state.h"
#include "app/windows/main_window.h"

namespace larkbay {

CommandTable MainWindowCommands(AppProgramState& state) {
  AppProgramState* s = &state;
  return {
      {kWmSysCommand, kAutoPlayCommand, [s] { ToggleAutoPlay(*s); }},
  };
}

void InstallCommandDispatcher(MainWindow& window, AppProgramState& state, CommandTable table) {
  AppProgramState* s = &state;
  state.PrevWndProc = window.SetWindowProc(
      [s, table = std::move(table)](unsigned message, std::uintptr_t wParam) {
        MainWindowCommandProc(table, s->PrevWndProc, message, wParam);
      });
}

}  // namespace larkbay
