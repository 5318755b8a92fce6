#include "platform/single_instance.h"

#include "platform/app_data_dir.h"
#include "platform/config_ini.h"
#include "platform/file_system.h"
#include "platform/processes.h"

namespace larkbay {
namespace {

std::string BaseName(const std::string& path) {
  constexpr std::string_view kDeleted = " (deleted)";
  std::string name = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
  if (name.ends_with(kDeleted)) name.resize(name.size() - kDeleted.size());
  return name;
}

// Another live copy of this program under `id`. A stale id that the system has
// since given to some other program, or to this very process, is no copy.
bool IsOtherRunningCopy(ProcessId id, const std::string& ownExecutable) {
  return id != 0 && id != CurrentProcessId() && IsSameExecutable(id, ownExecutable);
}

}  // namespace

bool CheckSingleInstance(const SingleInstanceHooks& hooks, std::string& savePath) {
  const std::string ownExecutable =
      hooks.ownExecutable.empty() ? OwnExecutablePath() : hooks.ownExecutable;
  const ProcessId storedId = ReadProgramId();

  bool recordOwnId = true;
  if (IsOtherRunningCopy(storedId, ownExecutable)) {
    const std::string text = BaseName(ownExecutable) + "\r\n是否启动？点击[确定]将继续启动";
    const PromptAnswer answer =
        hooks.prompt ? hooks.prompt(text, "重复运行！！！") : PromptAnswer::Cancel;
    if (answer == PromptAnswer::Ok) {
      // The id is checked again right before the kill: while the question was
      // open the older copy may have ended and its id gone to another program.
      if (IsOtherRunningCopy(storedId, ownExecutable)) KillProcess(storedId, true);
    } else {
      recordOwnId = false;
      if (hooks.endThisCopy) hooks.endThisCopy();
    }
  }
  if (recordOwnId) WriteProgramId(CurrentProcessId());

  savePath = ResolveSavePath();
  EnsureDirectory(AppDataDir() + "data/");
  return true;
}

}  // namespace larkbay
