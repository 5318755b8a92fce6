#pragma once
// The one door to a player page: whatever shows and plays the page (the
// embedded browser or the legacy HTML view) offers these operations and
// reports back through the callbacks its owner sets.

#include <functional>
#include <string_view>

#include "player/download_item.h"

namespace larkbay {

class PageHost {
 public:
  virtual ~PageHost() = default;

  // Shows `pageText` (UTF-8 page text, as BuildPlayerPage makes it) in place
  // of the current page. False when the host could not take it.
  virtual bool LoadPage(std::string_view pageText) = 0;
  // Runs JavaScript in the page shown. False when the host has no page or
  // runs no scripts.
  virtual bool RunScript(std::string_view script) = 0;
  // Starts downloading `url`. False when the host cannot download.
  virtual bool StartDownload(std::string_view url) = 0;

  // Raises "download updated" for download `id` now, so that a request made
  // between its events (pause, resume, delete) reaches it even while it is
  // quiet. False when the host has no such download.
  virtual bool NudgeDownload(int id) {
    (void)id;
    return false;
  }

  // Called when a page handed over has finished loading; set by the owner.
  std::function<void()> onLoadFinished;
  // A download started with StartDownload asks where to go; the handler
  // answers with Continue, or the download is dropped. Set by the owner.
  std::function<void(DownloadItem&)> onBeforeDownload;
  // A download's state or progress changed; the handler may pause, resume or
  // cancel it. Set by the owner.
  std::function<void(DownloadItem&)> onDownloadUpdated;
};

}  // namespace larkbay
