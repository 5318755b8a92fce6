#include "app/startup/pending_steps.h"

namespace larkbay {

// Filled in by the engine installation (engine pack and player layout).
bool InstallEngine(StartupContext&) { return false; }

// Filled in by the browser hosting; no engine is ever loaded before it.
bool ShutDownBrowser(StartupContext&) { return false; }

}  // namespace larkbay
