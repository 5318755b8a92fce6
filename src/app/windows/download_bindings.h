#pragma once
// Binds the download page's controls to the download manager (the list's
// right button, 按钮_下载到 and 按钮_保存位置) and the browser's download
// events to the task table.

namespace larkbay {

class ControlInterface;
class PageHost;
struct DownloadContext;

void BindDownloads(ControlInterface& controls, DownloadContext& context);
void BindDownloadEvents(PageHost& host, DownloadContext& context);

}  // namespace larkbay
