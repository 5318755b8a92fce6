#include "remote/step_context.h"

#include <thread>

namespace larkbay {

ProgramIdentity OwnProgramIdentity() {
  ProgramIdentity identity;
  identity.processId = CurrentProcessId();
  const std::string path = OwnExecutablePath();
  const size_t slash = path.rfind('/');
  if (slash != std::string::npos) {
    identity.folder = path.substr(0, slash);
    identity.executable = path.substr(slash + 1);
  }
  return identity;
}

void StepContext::EndProcess() const {
  if (endProcess) {
    endProcess();
    return;
  }
  KillProcess(0, false);
}

void StepContext::Sleep(std::chrono::milliseconds wait) const {
  if (sleep) {
    sleep(wait);
    return;
  }
  std::this_thread::sleep_for(wait);
}

}  // namespace larkbay
