#pragma once
// What the desktop does for the program: show a file in its folder, open a
// folder, let the user pick one. The program's implementation talks to the
// desktop's file manager and shows the toolkit's folder picker; tests record.

#include <string>
#include <string_view>

namespace larkbay {

class DesktopActions {
 public:
  virtual ~DesktopActions() = default;
  // Opens the folder of the file at `path` with the file selected. False when
  // nothing could be opened.
  virtual bool ShowInFolder(const std::string& path) = 0;
  // Opens `folder` in the file manager; returns at once.
  virtual bool OpenFolder(const std::string& folder) = 0;
  // A folder chosen by the user in a picker titled `title`, owned by the
  // window `owner` and starting at `start`; "" when cancelled.
  virtual std::string PickFolder(std::string_view owner, std::string_view title,
                                 const std::string& start) = 0;
};

}  // namespace larkbay
