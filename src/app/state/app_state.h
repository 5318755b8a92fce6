#pragma once
// The program-wide values of the app: the core's values plus what only the
// windows use (the menus and the main window's procedure).

#include "app/commands/window_proc.h"
#include "services/menu/popup_menu.h"
#include "state/program_state.h"

namespace larkbay {

struct AppProgramState : ProgramState {
  // Bound to the main window's system menu by SettingsMenu.
  PopupMenu SysMenu;
  // The main window's procedure before the command dispatcher was put in
  // front of it; the dispatcher hands every message on to it.
  WindowProc PrevWndProc;
};

}  // namespace larkbay
