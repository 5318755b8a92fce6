#pragma once
// The player settings submenu "播放器-设置" of the main window's system menu,
// with the checkable "自动播放" (command 1999) that mirrors AutoPlay.

class QWidget;

namespace larkbay {

struct AppProgramState;

inline constexpr int kAutoPlayCommand = 1999;

// Binds SysMenu to `mainWindow`'s system menu and appends the submenu; the
// check mark shows the stored AutoPlay setting. Nothing when the system menu
// cannot be bound (AutoPlay then stays off for the run).
void SettingsMenu(AppProgramState& state, QWidget* mainWindow);

// Flips AutoPlay, its check mark and the stored setting together.
void ToggleAutoPlay(AppProgramState& state);

}  // namespace larkbay
