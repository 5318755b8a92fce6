#pragma once
// The first start-up step: refuse a second running copy unless the user lets the
// new copy replace the old one, then settle the download folder and the data
// folder.

#include <functional>
#include <string>

namespace larkbay {

enum class PromptAnswer { Ok, Cancel };

struct SingleInstanceHooks {
  // Asks the user whether to start anyway (an OK/Cancel question box owned by
  // the start-up window). `text` is the program's file name followed by
  // "\r\n是否启动？点击[确定]将继续启动", `title` is "重复运行！！！". Called on the
  // calling (start-up worker) thread; closing the box counts as Cancel.
  // Unset: Cancel.
  std::function<PromptAnswer(const std::string& text, const std::string& title)> prompt;
  // Ends this copy (the app destroys the start-up window before the start-up is
  // done, which ends the process). May return: the rest of the step still runs.
  std::function<void()> endThisCopy;
  // The executable a running copy must share; "" = OwnExecutablePath().
  std::string ownExecutable;
};

// Reads Program from Config.ini. When that process is another running copy of
// this program (same executable, not this process), asks through hooks.prompt:
// OK ends the older copy and records the own id in Program; Cancel calls
// hooks.endThisCopy and leaves Program unchanged. With no other copy running
// the own id is recorded. Then sets `savePath` := ResolveSavePath() and
// creates AppDataDir() + "data/". Returns true.
bool CheckSingleInstance(const SingleInstanceHooks& hooks, std::string& savePath);

}  // namespace larkbay
