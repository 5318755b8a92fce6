#pragma once
// The commands the main window's menus send, and the dispatcher's installation.

#include "app/commands/command_table.h"

namespace larkbay {

class MainWindow;
struct AppProgramState;
struct DownloadContext;
struct SearchContext;

// Every command of the main window's menus and what carries it out; the
// result lists' commands only with the searches' context, their download
// commands and the download list's only with the downloads' as well.
CommandTable MainWindowCommands(AppProgramState& state, SearchContext* search = nullptr,
                                DownloadContext* downloads = nullptr);

// Puts MainWindowCommandProc with `table` in front of the window's procedure
// and keeps the previous one in state.PrevWndProc.
void InstallCommandDispatcher(MainWindow& window, AppProgramState& state, CommandTable table);

}  // namespace larkbay
