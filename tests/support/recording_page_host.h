#pragma once
// A page host that shows nothing: it keeps every page handed to it, takes
// every script and starts no downloads.

#include <string>
#include <string_view>
#include <vector>

#include "player/page_host.h"

namespace larkbay::test {

struct RecordingPageHost : PageHost {
  bool LoadPage(std::string_view page) override {
    pages.emplace_back(page);
    return true;
  }
  bool RunScript(std::string_view) override { return true; }
  bool StartDownload(std::string_view) override { return false; }

  std::vector<std::string> pages;  // in the order shown
};

}  // namespace larkbay::test
