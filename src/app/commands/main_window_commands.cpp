#include "app/commands/main_window_commands.h"

#include "app/settings/settings_menu.h"
#include "app/state/app_state.h"
#include "app/windows/main_window.h"
#include "search/dj_actions.h"
#include "search/song_actions.h"

namespace larkbay {

CommandTable MainWindowCommands(AppProgramState& state, SearchContext* search) {
  AppProgramState* s = &state;
  CommandTable table = {
      {kWmSysCommand, kAutoPlayCommand, [s] { ToggleAutoPlay(*s); }},
  };
  if (!search) return table;
  // The DJ list's commands first, then the song list's: each reads its own
  // list's selection when it runs.
  for (int id : {kPlayDjLow, kPlayDjHigh, kCopyDjLowAddress, kCopyDjHighAddress, kCopyDjName,
                 kCopyDjNumber, kCopyDjAuthor})
    table.push_back({kWmCommand, static_cast<std::uintptr_t>(id),
                     [search, id] { RunDjCommand(*search, id); }});
  for (int id : {kPlaySongST, kPlaySongHD, kPlaySongHQ})
    table.push_back({kWmCommand, static_cast<std::uintptr_t>(id),
                     [search, id] { RunSongPlayCommand(*search, id); }});
  return table;
}

void InstallCommandDispatcher(MainWindow& window, AppProgramState& state, CommandTable table) {
  AppProgramState* s = &state;
  state.PrevWndProc = window.SetWindowProc(
      [s, table = std::move(table)](unsigned message, std::uintptr_t wParam) {
        MainWindowCommandProc(table, s->PrevWndProc, message, wParam);
      });
}

}  // namespace larkbay
