#include "search_start_steps.h"

#include "remote/program_config.h"
#include "remote/search_sites.h"
#include "remote/step_context.h"
#include "state/program_state.h"

namespace larkbay::testing {

std::vector<InitStep> SearchStartSteps(StartupContext& c, const std::string& engineDir) {
  std::vector<InitStep> steps;
  for (const char* label : {"主程序->初始化", "服务器->初始化", "更新程序->初始化",
                            "版本更新->初始化", "引擎环境->初始化", "推荐歌单->初始化"})
    steps.push_back({label, [] { return true; }});
  steps[1].run = [&c] { return FetchProgramConfig(*c.remote); };
  if (!engineDir.empty()) {
    steps[4].run = [&c, engineDir] {
      c.state.appState.PlayerEngine = "cef";
      return c.remote->startEngine(engineDir);
    };
  }
  steps.push_back({"绘制->主窗口", [&c] {
                     FillSongSiteList(c.controls, c.state);
                     FillDjSearchLists(c.controls, c.state);
                     return true;
                   }});
  return steps;
}

}  // namespace larkbay::testing
