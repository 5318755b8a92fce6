#include "app/startup/console_log.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "platform/control_interface.h"
#include "platform/control_names.h"

namespace larkbay {

void ConsoleLog(ControlInterface& controls, std::string_view text) {
  std::string console = controls.GetText(names::kConsole);
  // The log texts themselves never hold a dot; every dot is the timer's.
  std::erase(console, '.');
  console.append(text);
  controls.SetText(names::kConsole, console);
  controls.SetSelectionStart(names::kConsole, -1);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

void ConsoleAddDot(ControlInterface& controls) {
  std::string console = controls.GetText(names::kConsole);
  console.push_back('.');
  controls.SetText(names::kConsole, console);
}

}  // namespace larkbay
