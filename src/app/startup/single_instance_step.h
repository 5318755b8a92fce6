#pragma once
// Start-up step 1: the single-instance check with its question box, which the
// start-up window owns.

#include <string>

#include "app/startup/startup_context.h"
#include "platform/single_instance.h"

namespace larkbay {

// Shows the "重复运行！！！" question (OK and Cancel) over the start-up window;
// closing the box counts as Cancel. Any thread.
PromptAnswer AskToStartAnyway(ControlInterface& controls, const std::string& text,
                              const std::string& title);

// CheckSingleInstance with the question above; Cancel asks for the start-up
// window's destruction, which ends this copy while the start-up is unfinished.
// Sets SavePath.
bool RunSingleInstanceCheck(StartupContext& context);

}  // namespace larkbay
