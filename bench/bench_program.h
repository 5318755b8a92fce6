#pragma once
// What the benchmarks of the running program share: a wait that sleeps in
// the event loop, and the program started against a server with the engine
// of the build.

#include <functional>
#include <memory>
#include <string>

#include "app/program.h"

class QTemporaryDir;

namespace larkbay::bench {

// Before the application is made: the engine's process settings for a
// machine without a display, and the server the benchmark starts.
void PrepareProcess();

// The program's data folder and desktop inside `root`, made before the
// application so that they outlive the engine's last writes.
void UseScratchFolders(const QTemporaryDir& root);

// Runs the event loop until `done` or `timeoutMs`; false on the timeout. It
// sleeps between checks as the program's own loop does: spinning here took a
// core from the engine on a two-core machine.
bool WaitFor(const std::function<bool()>& done, int timeoutMs);

// The program against `apiBase`, its main window up and the engine running
// from `engineDir` (ending with "/"); null, with a line on stderr, otherwise.
std::unique_ptr<Program> StartWithEngine(const std::string& apiBase, const std::string& engineDir);

}  // namespace larkbay::bench
