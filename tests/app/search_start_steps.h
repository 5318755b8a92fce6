#pragma once
// A start-up for the tests and benchmarks of the result pages: the seven
// steps with only the configuration fetch and the filling of both pages'
// selectors for real, and optionally the engine from a build's folder.

#include <string>
#include <vector>

#include "app/startup/init_sequence.h"
#include "app/startup/startup_context.h"

namespace larkbay::testing {

// `engineDir` (ending with "/") names a folder holding libaquarius.so: the
// engine step starts the engine from it as an installed one would start.
std::vector<InitStep> SearchStartSteps(StartupContext& context, const std::string& engineDir = {});

}  // namespace larkbay::testing
