#include "app/startup/single_instance_step.h"

#include "platform/control_interface.h"
#include "platform/control_names.h"
#include "state/program_state.h"

namespace larkbay {

PromptAnswer AskToStartAnyway(ControlInterface& controls, const std::string& text,
                              const std::string& title) {
  const int answer = controls.MessageBox(names::kStartupWindow, text, title,
                                         msgbox::kOkCancel | msgbox::kIconQuestion);
  return answer == msgbox::kIdOk ? PromptAnswer::Ok : PromptAnswer::Cancel;
}

bool RunSingleInstanceCheck(StartupContext& context) {
  ControlInterface& controls = context.controls;
  SingleInstanceHooks hooks;
  hooks.prompt = [&controls](const std::string& text, const std::string& title) {
    return AskToStartAnyway(controls, text, title);
  };
  hooks.endThisCopy = [&controls] { controls.PostDestroyWindow(names::kStartupWindow); };
  // Written by this worker only; the interface thread reads it after the
  // start-up has finished.
  return CheckSingleInstance(hooks, context.state.appState.SavePath);
}

}  // namespace larkbay
