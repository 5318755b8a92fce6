#pragma once
// What the download manager works with: the controls, the program's values,
// the page host whose browser downloads, the desktop for folders, and the
// starter that makes the size requests off the interface thread.

namespace larkbay {

class ControlInterface;
class DesktopActions;
class DownloadStarter;
class PageHost;
struct ProgramState;

struct DownloadContext {
  ControlInterface& controls;
  ProgramState& state;
  // The browser that downloads; none: a download cannot start.
  PageHost* pageHost = nullptr;
  // None: folders are neither shown nor picked.
  DesktopActions* desktop = nullptr;
  // None: the size request runs on the calling thread.
  DownloadStarter* starter = nullptr;
};

}  // namespace larkbay
