#pragma once
// Commands of the main window's menus reach it as messages: a menu item as
// kWmCommand, an item of the window's system menu as kWmSysCommand, with the
// item's command id as wParam. A window procedure handles them.

#include <cstdint>
#include <functional>

namespace larkbay {

inline constexpr unsigned kWmCommand = 0x0111;
inline constexpr unsigned kWmSysCommand = 0x0112;

using WindowProc = std::function<void(unsigned message, std::uintptr_t wParam)>;

}  // namespace larkbay
