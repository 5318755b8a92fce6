#include "app/startup/init_steps.h"

#include "app/startup/single_instance_step.h"
#include "player/show_player_page.h"
#include "remote/engine_install.h"
#include "remote/music_list.h"
#include "remote/program_config.h"
#include "remote/search_sites.h"
#include "remote/self_update.h"
#include "remote/step_context.h"
#include "state/program_state.h"

namespace larkbay {

std::vector<InitStep> DefaultInitSteps(StartupContext& context) {
  StartupContext* c = &context;
  auto remote = [c](bool (*step)(StepContext&)) {
    return [c, step] { return c->remote != nullptr && step(*c->remote); };
  };
  return {
      {"主程序->初始化", [c] { return RunSingleInstanceCheck(*c); }},
      {"服务器->初始化", remote(&FetchProgramConfig)},
      {"更新程序->初始化", remote(&UpdateUpdater)},
      {"版本更新->初始化", remote(&UpdateProgram)},
      {"引擎环境->初始化", remote(&InstallEngine)},
      {"推荐歌单->初始化", remote(&LoadMusicList)},
      {"绘制->主窗口",
       [c] {
         // Drawing the main window always counts as done: each part leaves
         // its template content when it has nothing better.
         FillDjSearchLists(c->controls, c->state);
         FillSongSiteList(c->controls, c->state);
         ShowPlayerPage(c->state, c->pageHost, c->state.RecommendHtml);
         return true;
       }},
  };
}

}  // namespace larkbay
