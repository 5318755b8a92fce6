#pragma once
// The start-up console: a log of the steps in the start-up window, with a dot
// added every second while a step is busy.

#include <string_view>

#include "platform/control_names.h"

namespace larkbay {

class ControlInterface;

// The start-up console's control; its name is kept with the others in control_names.h.
inline constexpr const auto& kConsoleName = names::kConsole;

// Appends `text` to the console after removing the busy dots, puts the caret
// at the end, then waits 200 ms so each line can be read. Any thread.
void ConsoleLog(ControlInterface& controls, std::string_view text);

// The dot timer's tick. Interface thread.
void ConsoleAddDot(ControlInterface& controls);

}  // namespace larkbay
