#include "app/startup/init_sequence.h"

#include "app/startup/console_log.h"
#include "platform/control_interface.h"
#include "platform/control_names.h"
#include "services/log/developer_log.h"
#include "state/program_state.h"

namespace larkbay {

void InitSequence(ControlInterface& controls, ProgramState& state,
                  const std::vector<InitStep>& steps) {
  for (const InitStep& step : steps) {
    ConsoleLog(controls, step.label);
    const bool ok = step.run && step.run();
    ConsoleLog(controls, ok ? "\t√\r\n" : "\t×\r\n");
    DevLog(LogArea::kStartup, step.label + (ok ? ": done" : ": failed"));
  }
  state.InitDone.store(true);
  controls.PostDestroyWindow(names::kStartupWindow);
}

}  // namespace larkbay
