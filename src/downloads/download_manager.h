#pragma once
// Starting downloads and following them: the task table, the browser's two
// download events and the download list's rows.

#include <cstdint>
#include <string>
#include <string_view>

#include "downloads/download_context.h"

namespace larkbay {

class CancelToken;
class DownloadItem;
struct DownloadTask;

// Task states; the state cell's texts are in download_list.h.
inline constexpr int kTaskNew = 0;
inline constexpr int kTaskResumePassed = 2;
inline constexpr int kTaskFailed = 2000;
inline constexpr int kTaskDownloading = 2001;
inline constexpr int kTaskCompleted = 2002;
inline constexpr int kTaskPaused = 2003;
inline constexpr int kTaskResumeRequested = 2004;
inline constexpr int kTaskDeleted = 2005;
inline constexpr int kTaskDeletedWithFile = 2006;

// Smaller files are error pages, not songs.
inline constexpr std::int64_t kMinimumDownloadBytes = 10240;
// Cuts a download may go on after before it counts as failed.
inline constexpr int kMaxResumptions = 5;

// The size request's answer.
struct DownloadProbe {
  std::string lengthText;  // Content-Length of a "200" answer, else ""
  int status = 0;          // the status line's code; 0 when nothing came
};

// HEAD of `url`: the length when the first 15 characters of the answer's
// header block hold "200".
DownloadProbe ProbeDownloadSize(std::string_view url, CancelToken* cancel = nullptr);

// Makes the download folder exist: a missing one is replaced by the default
// ("下载目录" on the desktop), created and shown; Config.ini is not written.
void EnsureSaveFolder(DownloadContext& context);

// Starts downloading `url` as `fileName` (the URL's extension is added). The
// "ie" engine refuses with a message. The size request runs on the starter;
// the task is made and the browser told on the interface thread afterwards.
void StartDownload(DownloadContext& context, std::string_view url, std::string_view fileName);

// The second half of StartDownload, on the interface thread: the free-space
// check, the new task and the browser's download. The task's id (its 1-based
// index) or 0 when nothing started.
int BeginDownload(DownloadContext& context, std::string_view url, std::string_view fileName,
                  const DownloadProbe& probe);

// True once the finished file has its final name: FileName is then its path,
// before only a file name.
bool HasFinalName(const DownloadTask& task);

// The task of download `id`; null for an id no download was started with.
DownloadTask* TaskOfDownload(DownloadContext& context, int id);

// The browser's events: where a download goes, and its progress.
void OnBeforeDownload(DownloadContext& context, DownloadItem& item);
void OnDownloadUpdated(DownloadContext& context, DownloadItem& item);
// The row of the item's task, brought up to date; shared by both events.
void UpdateDownloadRow(DownloadContext& context, DownloadItem& item);

}  // namespace larkbay
