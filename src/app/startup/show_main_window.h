#pragma once
// The hand-over from the start-up to the main window.

#include <functional>
#include <string_view>

namespace larkbay {

class ControlInterface;
struct ProgramState;

// The song page's keyword at start: an artist whose songs every site carries.
// An artist the catalogue knows, so the first search a user makes finds songs.
inline constexpr std::string_view kDefaultSongKeyword = "林小雨";

// Sizes the main window to its tab control (30 pixels below the tab control's
// bottom), fills the search boxes and the save folder, puts the command
// dispatcher in front of the window's own handling (`installDispatcher`) and
// shows the window. Interface thread.
void ShowMainWindow(ControlInterface& controls, ProgramState& state,
                    const std::function<void()>& installDispatcher);

}  // namespace larkbay
