#include "downloads/download_manager.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "downloads/download_failure.h"
#include "downloads/download_list.h"
#include "downloads/download_names.h"
#include "downloads/download_starter.h"
#include "net/inet_request.h"
#include "net/url_parts.h"
#include "platform/config_ini.h"
#include "platform/control_interface.h"
#include "platform/control_names.h"
#include "platform/file_system.h"
#include "player/download_item.h"
#include "player/page_host.h"
#include "services/log/developer_log.h"
#include "services/text/text_helpers.h"
#include "state/program_state.h"

namespace larkbay {
namespace {

using namespace names;

// A size request that hangs must not hold the downloads queued behind it.
constexpr std::chrono::milliseconds kProbeTimeout{10000};

// The cause a row shows, said once to the developers' log as well.
void SetFailure(DownloadTask& task, std::string cause) {
  if (task.Failure != cause) DevLog(LogArea::kDownloads, task.FileName + ": " + cause);
  task.Failure = std::move(cause);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Moves `from` to `to` unless something is there already (EEXIST then).
bool MoveWithoutReplacing(const std::string& from, const std::string& to, int& error) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
    return true;
  error = errno;
  if (error != EINVAL && error != ENOSYS) return false;
  // A file system without the flag: a hard link fails just as well on a name
  // that is taken.
  if (::link(from.c_str(), to.c_str()) != 0) {
    error = errno;
    return false;
  }
  ::unlink(from.c_str());
  return true;
}

// The finished file's final name in its own folder, "(1)", "(2)" … while
// taken; false (and the cause set) when the move failed.
bool GiveFinalName(DownloadTask& task) {
  const std::string folder = FolderOf(task.TempPath);
  int error = 0;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const std::string target = FinalPath(folder, task.FileName, PathExists);
    if (MoveWithoutReplacing(task.TempPath, target, error)) {
      task.FileName = target;
      return true;
    }
    if (error != EEXIST) {
      SetFailure(task, RenameCause(target, error));
      return false;
    }
  }
  SetFailure(task, RenameCause(folder + task.FileName, EEXIST));
  return false;
}

// A temporary file no other task and no file on disk uses yet.
std::string UniqueTempPath(const ProgramState& state, const std::string& folder,
                           std::string_view lengthText, std::string_view name) {
  const std::string base = TempFileName(lengthText, name);
  const std::string stem = base.substr(0, base.size() - 3);  // without ".MT"
  auto taken = [&](const std::string& path) {
    if (PathExists(path) || PathExists(path + ".download")) return true;
    for (const DownloadTask& task : state.DownloadTasks)
      if (task.TempPath == path) return true;
    return false;
  };
  std::string path = folder + base;
  for (int n = 1; taken(path); ++n) path = folder + stem + "-" + std::to_string(n) + ".MT";
  return path;
}

// Bytes free for the user on the file system of `folder`; -1 when unknown.
std::int64_t FreeBytes(const std::string& folder) {
  struct statvfs info {};
  if (::statvfs(folder.c_str(), &info) != 0) return -1;
  return static_cast<std::int64_t>(info.f_bavail) * static_cast<std::int64_t>(info.f_frsize);
}

// The browser ended the download before its end. After cuts it went on
// from, the cuts are the cause; the note that it went on no longer holds.
void EndAsFailed(DownloadTask& task, const DownloadItem& item) {
  if (task.State == kTaskFailed) return;
  const int cuts = item.Resumptions();
  if (cuts > 0)
    SetFailure(task, TooManyCutsCause(cuts));
  else if (task.Failure.empty())
    SetFailure(task, FailureCause(item.InterruptReason(), task.HttpStatus));
  task.State = kTaskFailed;
  // An interrupted download the server could continue keeps its partial
  // file for a resumption nothing can ask for; a failed task leaves none.
  ::unlink((task.TempPath + ".download").c_str());
}

void DeriveState(DownloadTask& task, const DownloadItem& item) {
  if (item.IsCanceled()) {
    EndAsFailed(task, item);
  } else if (item.IsInProgress()) {
    task.State = kTaskDownloading;
  } else if (item.IsComplete() && task.State == kTaskDownloading) {
    task.State = kTaskCompleted;
  }
}

}  // namespace

DownloadProbe ProbeDownloadSize(std::string_view url, CancelToken* cancel) {
  std::string headers;
  InetRequest(url, 2, {}, {}, nullptr, {}, &headers, false, {}, {}, true, true, true, cancel,
              kProbeTimeout);
  DownloadProbe probe;
  const size_t space = headers.find(' ');
  if (headers.starts_with("HTTP/") && space != std::string::npos)
    probe.status = std::atoi(headers.c_str() + space + 1);
  if (headers.substr(0, 15).find("200") != std::string::npos)
    probe.lengthText = HeaderValue(headers, "Content-Length");
  return probe;
}

void EnsureSaveFolder(DownloadContext& context) {
  std::string& savePath = context.state.appState.SavePath;
  if (IsDirectory(savePath)) return;
  savePath = DefaultSavePath();
  EnsureDirectory(savePath);
  context.controls.SetText(kSavePathBox, savePath);
}

void StartDownload(DownloadContext& context, std::string_view url, std::string_view fileName) {
  if (context.state.appState.PlayerEngine == "ie" || !context.pageHost) {
    context.controls.MessageBox(kMainWindow, "未安装环境引擎,无法进行下载。", "不支持",
                                msgbox::kOk);
    return;
  }
  EnsureSaveFolder(context);
  if (!context.starter) {
    BeginDownload(context, url, fileName, ProbeDownloadSize(url));
    return;
  }
  // The request runs on the starter; the task is made on the interface
  // thread when it has answered, in the order the downloads were started.
  DownloadContext* shared = &context;
  context.starter->Enqueue(
      [shared, url = std::string(url), name = std::string(fileName)](CancelToken& cancel) {
        const DownloadProbe probe = ProbeDownloadSize(url, &cancel);
        if (cancel.Cancelled()) return;
        shared->controls.RunOnInterfaceThread([&] { BeginDownload(*shared, url, name, probe); });
      });
}

int BeginDownload(DownloadContext& context, std::string_view url, std::string_view fileName,
                  const DownloadProbe& probe) {
  if (!context.pageHost) return 0;
  // No address (a row whose quality has none) starts nothing in the browser;
  // a task for it would put every later download on the wrong row.
  if (!IsHttpAddress(url)) {
    DevLog(LogArea::kDownloads, "no download address for " + std::string(fileName));
    return 0;
  }
  ProgramState& state = context.state;
  const std::string folder = state.appState.SavePath;
  const std::string ext = SafeExtension(UrlExtension(url));
  const std::string name = SafeFileName(fileName, ext.size() + 8) + ext;

  const std::int64_t length = std::atoll(probe.lengthText.c_str());
  const std::int64_t free = FreeBytes(folder);
  if (length > 0 && free >= 0 && free < length) {
    context.controls.MessageBox(kMainWindow,
                                "下载目录所在的磁盘空间不足:需要 " + SizeText(length) +
                                    ",只剩 " + SizeText(free) + "。\n" + folder,
                                "空间不足", msgbox::kOk);
    return 0;
  }

  DownloadTask task;
  task.TempPath = UniqueTempPath(state, folder, probe.lengthText, name);
  task.FileName = name;
  task.HttpStatus = probe.status;
  // The browser numbers its downloads in start order: a download that does
  // not start gets no task, so the numbers and the tasks stay in step.
  state.DownloadTasks.push_back(task);
  if (!context.pageHost->StartDownload(url)) {
    state.DownloadTasks.pop_back();
    DevLog(LogArea::kDownloads, "the browser did not take " + std::string(url));
    return 0;
  }
  DevLog(LogArea::kDownloads, "task " + std::to_string(state.DownloadTasks.size()) + ": " +
                                  std::string(url) + " as " + name);
  return static_cast<int>(state.DownloadTasks.size());
}

bool HasFinalName(const DownloadTask& task) {
  return task.FileName.find('/') != std::string::npos;
}

DownloadTask* TaskOfDownload(DownloadContext& context, int id) {
  auto& tasks = context.state.DownloadTasks;
  if (id < 1 || static_cast<size_t>(id) > tasks.size()) return nullptr;
  return &tasks[static_cast<size_t>(id) - 1];
}

void OnBeforeDownload(DownloadContext& context, DownloadItem& item) {
  DownloadTask* task = TaskOfDownload(context, item.Id());
  if (!task) {
    // Not one of ours: left unanswered, the browser drops it.
    DevLog(LogArea::kDownloads, "download " + std::to_string(item.Id()) + " has no task");
    return;
  }
  DevLog(LogArea::kDownloads, "download " + std::to_string(item.Id()) + " goes to " + task->TempPath);
  item.Continue(task->TempPath);
  DeriveState(*task, item);
  UpdateDownloadRow(context, item);
}

void OnDownloadUpdated(DownloadContext& context, DownloadItem& item) {
  DownloadTask* task = TaskOfDownload(context, item.Id());
  if (!task) return;
  switch (task->State) {
    case kTaskPaused:
    case kTaskResumeRequested:
      // The browser may end a download while it is paused (the server drops
      // a connection nobody reads from): then it failed, whatever was asked.
      if (item.IsCanceled())
        EndAsFailed(*task, item);
      else if (task->State == kTaskPaused)
        item.Pause();
      else
        item.Resume();
      break;
    case kTaskDeleted:
    case kTaskDeletedWithFile:
      item.Cancel();
      break;
    default: {
      const int cuts = item.Resumptions();
      if (cuts > kMaxResumptions && task->State == kTaskDownloading && !item.IsComplete()) {
        item.Cancel();
        task->State = kTaskFailed;
        SetFailure(*task, TooManyCutsCause(cuts));
        break;
      }
      if (cuts > 0 && task->State != kTaskFailed && !item.IsCanceled())
        SetFailure(*task, ResumedCause(cuts));
      DeriveState(*task, item);
      break;
    }
  }
  UpdateDownloadRow(context, item);
}

void UpdateDownloadRow(DownloadContext& context, DownloadItem& item) {
  DownloadTask* task = TaskOfDownload(context, item.Id());
  if (!task) return;
  // A deleted task's row is gone and stays gone.
  if (task->State == kTaskDeleted || task->State == kTaskDeletedWithFile) return;
  ControlInterface& controls = context.controls;
  const int id = item.Id();
  int row = -1;
  if (task->RowStamp == 0) {
    controls.InsertRow(kDownloadList, 0);
    row = 0;
    task->RowStamp = controls.RowCount(kDownloadList);
    controls.SetCell(kDownloadList, row, kTaskIdColumn, std::to_string(id));
  } else {
    row = RowOfTask(controls, id);
    if (row < 0) return;
  }
  const std::string count = std::to_string(controls.RowCount(kDownloadList));
  const std::string shown = DisplayName(task->FileName);
  switch (task->State) {
    case kTaskFailed:
      SetRowCells(controls, row,
                  {count, shown, SizeText(item.TotalBytes()), "0%", kStateFailedText});
      break;
    case kTaskDownloading: {
      const std::int64_t total = item.TotalBytes();
      if (total >= 0 && total < kMinimumDownloadBytes) {
        task->State = kTaskFailed;
        SetFailure(*task, TooSmallCause(total));
        return;  // the row keeps its texts until the next event
      }
      // A server that sends no length: the size so far, until the end.
      const std::int64_t size = total >= 0 ? total : item.ReceivedBytes();
      const int percent = total > 0 ? std::max(item.PercentComplete(), 0) : 0;
      SetRowCells(controls, row,
                  {count, shown, SizeText(size), std::to_string(percent) + "%",
                   kStateDownloadingText});
      break;
    }
    case kTaskCompleted: {
      // Only on the event that has just completed it: the name is still a
      // bare file name then.
      if (HasFinalName(*task)) {
        SetRowState(controls, row, "100%", kStateCompletedText);
        break;
      }
      const std::int64_t size =
          item.TotalBytes() >= 0 ? item.TotalBytes() : item.ReceivedBytes();
      if (size < kMinimumDownloadBytes) {
        task->State = kTaskFailed;
        SetFailure(*task, TooSmallCause(size));
        SetRowState(controls, row, "0%", kStateFailedText);
        break;
      }
      if (!GiveFinalName(*task)) {
        task->State = kTaskFailed;
        SetRowState(controls, row, "0%", kStateFailedText);
        break;
      }
      task->Failure.clear();
      SetRowCells(controls, row,
                  {count, DisplayName(task->FileName), SizeText(size), "100%",
                   kStateCompletedText});
      break;
    }
    case kTaskPaused:
      controls.SetCell(kDownloadList, row, kTaskStateColumn, kStatePausedText);
      break;
    case kTaskResumeRequested:
      task->State = kTaskResumePassed;
      controls.SetCell(kDownloadList, row, kTaskStateColumn, kStateResumedText);
      break;
    default:
      break;
  }
  controls.SetCellToolTip(kDownloadList, row, kTaskStateColumn, task->Failure);
}

}  // namespace larkbay
