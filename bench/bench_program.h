#pragma once
// What the benchmarks of the running program share: a wait that sleeps in
// the event loop, and the program started against a server with the engine
// of the build.

#include <functional>
#include <memory>
#include <string>

#include "app/program.h"

namespace larkbay::bench {

// Runs the event loop until `done` or `timeoutMs`; false on the timeout. It
// sleeps between checks as the program's own loop does: spinning here took a
// core from the engine on a two-core machine.
bool WaitFor(const std::function<bool()>& done, int timeoutMs);

// The program against `apiBase`, its main window up and the engine running
// from `engineDir` (ending with "/"); null, with a line on stderr, otherwise.
std::unique_ptr<Program> StartWithEngine(const std::string& apiBase, const std::string& engineDir);

}  // namespace larkbay::bench
