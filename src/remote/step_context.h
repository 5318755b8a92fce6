#pragma once
// What the start-up steps of the remote configuration work with. The program
// fills one at start; tests give their own controls, server, folders and
// program identity.

#include <chrono>
#include <functional>
#include <string>
#include <utility>

#include "platform/processes.h"

namespace larkbay {

class ControlInterface;
class ServerClient;
struct ProgramState;

// This program as the updater sees it.
struct ProgramIdentity {
  ProcessId processId = 0;
  std::string folder;      // without a trailing "/"
  std::string executable;  // file name only
};

// The running program: own process id, folder and file name of its executable.
ProgramIdentity OwnProgramIdentity();

struct StepContext {
  StepContext(ControlInterface& controlsIn, ProgramState& stateIn, ServerClient& serverIn,
              std::string dataDirIn, std::string assetRootIn)
      : controls(controlsIn),
        state(stateIn),
        server(serverIn),
        dataDir(std::move(dataDirIn)),
        assetRoot(std::move(assetRootIn)) {}

  ControlInterface& controls;
  ProgramState& state;
  ServerClient& server;
  std::string dataDir;    // AppDataDir, with a trailing "/"
  std::string assetRoot;  // player asset root, with a trailing "/"
  ProgramIdentity program = OwnProgramIdentity();
  // The user's desktop, with a trailing "/": where the engine pack lies.
  std::string desktopDir;
  // Where an installed program's own copies of the updater and the engine
  // pack lie, with a trailing "/" ("" for none): used when they have the
  // announced digest and nothing better is at hand, and never deleted.
  std::string bundledDir;
  // The package manager's list of the files it installed for this program:
  // a program named there is updated by the package manager, never by the
  // updater.
  std::string packageFileList = "/var/lib/dpkg/info/lark-bay.list";
  // Starts the embedded browser engine from `engineDir`; true when it runs.
  // Unset: this program has no engine to start.
  std::function<bool(const std::string& engineDir)> startEngine;
  // The updater this run started last (0 for none): the only one a later
  // hand-over may end.
  ProcessId startedUpdater = 0;
  // Ends the process when a step cannot let the program go on. Unset: this
  // process ends with exit code 0.
  std::function<void()> endProcess;
  // The steps' fixed waits. Unset: a plain sleep on the calling thread.
  std::function<void(std::chrono::milliseconds)> sleep;

  void EndProcess() const;
  void Sleep(std::chrono::milliseconds wait) const;
};

}  // namespace larkbay
