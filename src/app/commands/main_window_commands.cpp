#include "app/commands/main_window_commands.h"

#include "app/settings/settings_menu.h"
#include "app/state/app_state.h"
#include "app/windows/main_window.h"
#include "dispatch/download_commands.h"
#include "downloads/download_list.h"
#include "search/dj_actions.h"
#include "search/song_actions.h"

namespace larkbay {

CommandTable MainWindowCommands(AppProgramState& state, SearchContext* search,
                                DownloadContext* downloads) {
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
  if (downloads) {
    for (int id : {kDownloadDjLow, kDownloadDjHigh})
      table.push_back({kWmCommand, static_cast<std::uintptr_t>(id),
                       [search, downloads, id] { RunDjDownloadCommand(*search, *downloads, id); }});
    // The download list's commands come between the DJ and the song list's.
    for (int id : {kPauseTaskCommand, kResumeTaskCommand, kDeleteTaskCommand,
                   kDeleteTaskAndFileCommand, kOpenTaskFolderCommand})
      table.push_back({kWmCommand, static_cast<std::uintptr_t>(id),
                       [downloads, id] { RunDownloadTaskCommand(*downloads, id); }});
  }
  for (int id : {kPlaySongST, kPlaySongHD, kPlaySongHQ})
    table.push_back({kWmCommand, static_cast<std::uintptr_t>(id),
                     [search, id] { RunSongPlayCommand(*search, id); }});
  if (downloads) {
    for (int id : {kDownloadSongST, kDownloadSongHD, kDownloadSongHQ, kDownloadSongSQ,
                   kDownloadSongMV})
      table.push_back({kWmCommand, static_cast<std::uintptr_t>(id), [search, downloads, id] {
                         RunSongDownloadCommand(*search, *downloads, id);
                       }});
  }
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
