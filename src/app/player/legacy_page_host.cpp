#include "app/player/legacy_page_host.h"

#include <utility>

#include "platform/control_interface.h"
#include "platform/control_names.h"
#include "platform/file_system.h"
#include "player/player_page.h"
#include "player/player_view.h"

namespace larkbay {

LegacyPageHost::LegacyPageHost(ControlInterface& controls, std::string dataDir)
    : controls_(controls), dataDir_(std::move(dataDir)) {}

bool LegacyPageHost::LoadPage(std::string_view pageText) {
  const std::string path = PlayerPagePath(dataDir_);
  if (!WriteFileAtomically(path, PageBytes(pageText))) return false;
  return controls_.Navigate(names::kPlayerView, path);
}

bool LegacyPageHost::RunScript(std::string_view) { return false; }

bool LegacyPageHost::StartDownload(std::string_view) { return false; }

void BindPlayerView(ControlInterface& controls, const std::string& dataDir, PageHost* host) {
  controls.Bind(names::kPlayerView, ControlEvent::DocumentReady,
                [dataDir, host](const ControlEventArgs&) {
                  OnPlayerViewDocumentComplete(dataDir);
                  if (host && host->onLoadFinished) host->onLoadFinished();
                  return false;
                });
}

}  // namespace larkbay
