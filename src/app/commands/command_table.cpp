#include "app/commands/command_table.h"

namespace larkbay {

void MainWindowCommandProc(const CommandTable& table, const WindowProc& previous,
                           unsigned message, std::uintptr_t wParam) {
  for (const CommandRoute& route : table) {
    if (route.message == message && route.id == wParam) {
      if (route.action) route.action();
      break;
    }
  }
  if (previous) previous(message, wParam);
}

}  // namespace larkbay
