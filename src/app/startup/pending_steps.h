#pragma once
// Start-up steps and main-window duties whose subsystems are not in the program
// yet. Each answers false (the console shows "×") and changes nothing, so the
// start-up goes on to the main window as it does when a step fails.

#include "app/startup/startup_context.h"

namespace larkbay {

bool InstallEngine(StartupContext& context);
// Closes the embedded browser's windows and ends its engine; nothing to do
// while no browser engine has been loaded.
bool ShutDownBrowser(StartupContext& context);

}  // namespace larkbay
