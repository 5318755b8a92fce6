#pragma once
// The page host of the legacy HTML view: a page is written to the player page
// file and the view is sent there. It runs no scripts and cannot download.

#include <string>
#include <string_view>

#include "player/page_host.h"

namespace larkbay {

class ControlInterface;

class LegacyPageHost : public PageHost {
 public:
  // `dataDir` ends with "/"; its "data" folder exists.
  LegacyPageHost(ControlInterface& controls, std::string dataDir);

  bool LoadPage(std::string_view pageText) override;
  bool RunScript(std::string_view script) override;
  bool StartDownload(std::string_view url) override;

 private:
  ControlInterface& controls_;
  std::string dataDir_;
};

// Binds the player view's document-complete event: the page file is dropped,
// then `host`'s load-finished callback (when set) runs.
void BindPlayerView(ControlInterface& controls, const std::string& dataDir, PageHost* host);

}  // namespace larkbay
