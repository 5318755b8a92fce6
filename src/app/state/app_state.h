#pragma once
// Program-wide values: created at process start, alive until exit. Each value
// has one writer at a time, as the start-up and the handlers are ordered.

#include <atomic>
#include <cstdint>
#include <string>

#include "app/commands/window_proc.h"
#include "services/menu/popup_menu.h"

namespace larkbay {

inline constexpr std::int32_t kVersionNumber = 1600584000;
inline constexpr char kVersionText[] = "2.0 Velmont";

struct AppState {
  std::int32_t VersionNumber = 0;
  std::string VersionText;
  std::int32_t LatestVersionNumber = 0;  // announced by the server
  std::string PlayerEngine;              // "cef" or "ie"
  bool AutoPlay = false;
  std::string SavePath;                  // download folder, trailing "/"
  // The server clock offset is kept by the request layer (ServerClient), next
  // to the requests that measure and use it.
};

struct ProgramState {
  AppState appState;
  // Written by the start-up worker before it asks for the start-up window's
  // destruction; read on the interface thread while that is carried out.
  std::atomic<bool> InitDone{false};
  // Bound to the main window's system menu by SettingsMenu.
  PopupMenu SysMenu;
  // The main window's procedure before the command dispatcher was put in
  // front of it; the dispatcher hands every message on to it.
  WindowProc PrevWndProc;
};

}  // namespace larkbay
