#pragma once
// The one door to a player page: whatever shows and plays the page (the
// embedded browser or the legacy HTML view) offers these operations and
// reports back through the callbacks its owner sets.

#include <functional>
#include <string_view>

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

  // Called when a page handed over has finished loading; set by the owner.
  std::function<void()> onLoadFinished;
};

}  // namespace larkbay
