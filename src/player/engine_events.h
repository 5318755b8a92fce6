#pragma once
// What the program does on the embedded browser's start-up events and on its
// context menu. Each takes the opened library it calls back into.

#include <cstdint>
#include <string>

#include "player/engine_library.h"

namespace larkbay {

// Where the browser goes: the host control's window (a widget carried as an
// integer) and its client size.
struct BrowserParent {
  std::uintptr_t window = 0;
  int width = 0;
  int height = 0;
};

// The engine's folder for cache and profile, inside the data folder.
inline constexpr char kEngineUserDataFolder[] = "Userdata";

// Event 0: cache and profile in `dataDir` + "Userdata" (`dataDir` ends with
// "/"), persistent cookies and preferences, locale "zh-CN"; the flags that
// stay off are passed as well, the texts that are not set are not.
void OnEngineSettings(const EngineLibrary& engine, AquaSettings* settings,
                      const std::string& dataDir);

// Event 1: the two Flash switches (this system has no Pepper Flash to name,
// so their values are empty) and the autoplay policy that lets a page start
// its music without a click.
void OnEngineCommandLine(const EngineLibrary& engine, AquaCommandLine* commandLine);

// Event 2: the one browser, on about:blank, filling `parent`.
void OnEngineReady(const EngineLibrary& engine, const BrowserParent& parent);

// Event 9: the window handle of the new browser's host.
std::uintptr_t OnBrowserCreated(const EngineLibrary& engine, AquaBrowser* browser);

// Event 32: the strip never shows the browser's context menu.
bool OnContextMenu();

}  // namespace larkbay
