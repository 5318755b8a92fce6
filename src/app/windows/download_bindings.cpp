#include "app/windows/download_bindings.h"

#include "downloads/download_context.h"
#include "downloads/download_list.h"
#include "downloads/download_manager.h"
#include "downloads/save_folder.h"
#include "platform/control_interface.h"
#include "platform/control_names.h"
#include "player/page_host.h"

namespace larkbay {

void BindDownloads(ControlInterface& controls, DownloadContext& context) {
  using namespace names;
  auto run = [&context](void (*action)(DownloadContext&)) {
    return [&context, action](const ControlEventArgs&) {
      action(context);
      return false;
    };
  };
  controls.Bind(kDownloadList, ControlEvent::RightButtonPressed, run(&OnDownloadListRightClick));
  controls.Bind(kDownloadToButton, ControlEvent::Clicked, run(&ChooseSaveFolder));
  controls.Bind(kSaveFolderButton, ControlEvent::Clicked, run(&OpenSaveFolder));
}

void BindDownloadEvents(PageHost& host, DownloadContext& context) {
  host.onBeforeDownload = [&context](DownloadItem& item) { OnBeforeDownload(context, item); };
  host.onDownloadUpdated = [&context](DownloadItem& item) { OnDownloadUpdated(context, item); };
}

}  // namespace larkbay
