#include "app/windows/site_window_binding.h"

#include <utility>

#include "app/controls/qt_controls.h"
#include "platform/control_names.h"
#include "remote/site_window.h"
#include "state/program_state.h"

namespace larkbay {

void BindSiteWindow(QtControls& controls, ProgramState& state, std::string dataDir) {
  controls.Bind(names::kSiteWindow, ControlEvent::Created,
                [&controls, &state, dataDir](const ControlEventArgs&) {
                  OnSiteWindowCreated(controls, state, dataDir);
                  return false;
                });
  controls.Bind(names::kSiteView, ControlEvent::BeforeNavigate,
                [&controls, dataDir](const ControlEventArgs& args) {
                  return OnSiteViewBeforeNavigate(controls, dataDir, args.address);
                });
  controls.Bind(names::kSiteView, ControlEvent::DocumentReady,
                [dataDir = std::move(dataDir)](const ControlEventArgs&) {
                  OnSiteViewDocumentComplete(dataDir);
                  return false;
                });
}

}  // namespace larkbay
