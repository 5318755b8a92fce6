#include "app/startup/init_steps.h"

#include "app/startup/pending_steps.h"
#include "app/startup/single_instance_step.h"

namespace larkbay {

std::vector<InitStep> DefaultInitSteps(StartupContext& context) {
  StartupContext* c = &context;
  return {
      {"主程序->初始化", [c] { return RunSingleInstanceCheck(*c); }},
      {"服务器->初始化", [c] { return FetchProgramConfig(*c); }},
      {"更新程序->初始化", [c] { return UpdateUpdater(*c); }},
      {"版本更新->初始化", [c] { return UpdateProgram(*c); }},
      {"引擎环境->初始化", [c] { return InstallEngine(*c); }},
      {"推荐歌单->初始化", [c] { return LoadMusicList(*c); }},
      {"绘制->主窗口",
       [c] {
         // Drawing the main window always counts as done: each part leaves
         // its template content when it has nothing better.
         FillDjSearchLists(*c);
         FillSongSiteList(*c);
         ShowPlayerPage(*c, {});
         return true;
       }},
  };
}

}  // namespace larkbay
