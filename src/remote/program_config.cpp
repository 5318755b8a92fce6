#include "remote/program_config.h"

#include <cstdio>

#include "platform/control_interface.h"
#include "platform/control_names.h"
#include "remote/config_cache.h"
#include "remote/remote_paths.h"
#include "remote/step_context.h"
#include "state/program_state.h"

namespace larkbay {

bool FetchProgramConfig(StepContext& context) {
  const std::string cache = context.dataDir + std::string(kProgramConfigCache);
  const std::string document = FetchCachedDocument(context.server, cache, kProgramConfigDocument);
  if (context.state.ProgramConfig.Parse(document)) return true;
  std::remove(cache.c_str());
  context.controls.MessageBox(names::kStartupWindow, kLostServerText, kLostServerTitle,
                              msgbox::kOk);
  context.EndProcess();
  return false;
}

}  // namespace larkbay
