#pragma once
// The desktop's side of the download folder: the file manager shows a file
// (org.freedesktop.FileManager1 over D-Bus, the folder through xdg-open when
// no file manager answers), opens a folder, and the toolkit's folder picker.

#include "platform/desktop_actions.h"

namespace larkbay {

class QtControls;

class QtDesktopActions : public DesktopActions {
 public:
  explicit QtDesktopActions(QtControls& controls) : controls_(controls) {}

  bool ShowInFolder(const std::string& path) override;
  bool OpenFolder(const std::string& folder) override;
  std::string PickFolder(std::string_view owner, std::string_view title,
                         const std::string& start) override;

 private:
  QtControls& controls_;
};

}  // namespace larkbay
