#pragma once
// A page host reached from any thread: every call is carried out on the
// interface thread while the caller waits. The engine's page host is bound to
// that thread, and the start-up shows its page from its worker.

#include <string_view>

#include "player/page_host.h"

namespace larkbay {

class GuiThreadPageHost : public PageHost {
 public:
  explicit GuiThreadPageHost(PageHost& host) : host_(host) {}

  bool LoadPage(std::string_view pageText) override;
  bool RunScript(std::string_view script) override;
  bool StartDownload(std::string_view url) override;
  bool NudgeDownload(int id) override;

 private:
  PageHost& host_;
};

}  // namespace larkbay
