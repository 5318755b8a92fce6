#pragma once
// The main window's command dispatcher: a table from (message, command id) to
// the operation that carries the command out. Every message, carried out or
// not, then goes on to the window's previous procedure.

#include <cstdint>
#include <functional>
#include <vector>

#include "app/commands/window_proc.h"

namespace larkbay {

struct CommandRoute {
  unsigned message;     // kWmCommand or kWmSysCommand
  std::uintptr_t id;    // compared with wParam as a whole
  std::function<void()> action;
};

using CommandTable = std::vector<CommandRoute>;

// Carries out the route for (message, wParam), if any, then calls `previous`.
void MainWindowCommandProc(const CommandTable& table, const WindowProc& previous,
                           unsigned message, std::uintptr_t wParam);

}  // namespace larkbay
