#pragma once
// The program's start-up steps, in the order the console shows them.

#include <vector>

#include "app/startup/init_sequence.h"
#include "app/startup/startup_context.h"

namespace larkbay {

std::vector<InitStep> DefaultInitSteps(StartupContext& context);

}  // namespace larkbay
