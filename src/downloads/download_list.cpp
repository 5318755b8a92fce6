#include "downloads/download_list.h"

#include <unistd.h>

#include <cstdlib>

#include "downloads/download_manager.h"
#include "downloads/save_folder.h"
#include "platform/control_names.h"
#include "player/page_host.h"
#include "state/program_state.h"

namespace larkbay {
namespace {

using namespace names;

// A request made between events reaches the browser now, not on an event
// that a quiet (paused) download may never send.
void TellBrowser(DownloadContext& context, int taskId) {
  if (context.pageHost) context.pageHost->NudgeDownload(taskId);
}

}  // namespace

int RowOfTask(ControlInterface& controls, int id) {
  const std::string wanted = std::to_string(id);
  const int rows = controls.RowCount(kDownloadList);
  for (int row = 0; row < rows; ++row)
    if (controls.GetCell(kDownloadList, row, kTaskIdColumn) == wanted) return row;
  return -1;
}

void SetRowCells(ControlInterface& controls, int row, const std::vector<std::string>& cells) {
  for (size_t column = 0; column < cells.size() && column < kTaskIdColumn; ++column)
    controls.SetCell(kDownloadList, row, static_cast<int>(column), cells[column]);
}

void SetRowState(ControlInterface& controls, int row, std::string_view percent,
                 std::string_view state) {
  controls.SetCell(kDownloadList, row, 3, percent);
  controls.SetCell(kDownloadList, row, kTaskStateColumn, state);
}

std::string DisplayName(std::string_view fileName) {
  const size_t slash = fileName.rfind('/');
  if (slash != std::string_view::npos) fileName.remove_prefix(slash + 1);
  const size_t dot = fileName.rfind('.');
  if (dot != std::string_view::npos && dot != 0) fileName = fileName.substr(0, dot);
  return std::string(fileName);
}

DownloadTask* SelectedTask(DownloadContext& context, int* taskId) {
  const int row = context.controls.SelectedRow(kDownloadList);
  if (row < 0) return nullptr;
  const int id = std::atoi(context.controls.GetCell(kDownloadList, row, kTaskIdColumn).c_str());
  DownloadTask* task = TaskOfDownload(context, id);
  if (task && taskId) *taskId = id;
  return task;
}

std::vector<MenuItem> DownloadTaskMenu(int state) {
  std::vector<MenuItem> menu;
  if (state == kTaskPaused) menu.push_back({"继续下载", kResumeTaskCommand, {}, false});
  if (state == kTaskDownloading) menu.push_back({"暂停下载", kPauseTaskCommand, {}, false});
  if (state == kTaskCompleted) menu.push_back({"打开文件夹", kOpenTaskFolderCommand, {}, false});
  menu.push_back({"删除任务", kDeleteTaskCommand, {}, false});
  menu.push_back({"删除任务和文件", kDeleteTaskAndFileCommand, {}, false});
  return menu;
}

void OnDownloadListRightClick(DownloadContext& context) {
  const DownloadTask* task = SelectedTask(context);
  if (!task) return;
  context.controls.TrackMenu(kMainWindow, DownloadTaskMenu(task->State));
}

namespace {

// Pause and resume: a request for the selected task, unless it has finished.
void RequestOfUnfinished(DownloadContext& context, int request) {
  int id = 0;
  DownloadTask* task = SelectedTask(context, &id);
  if (!task || task->State == kTaskCompleted) return;
  task->State = request;
  TellBrowser(context, id);
}

}  // namespace

void PauseTask(DownloadContext& context) { RequestOfUnfinished(context, kTaskPaused); }

void ResumeTask(DownloadContext& context) { RequestOfUnfinished(context, kTaskResumeRequested); }

void DeleteTask(DownloadContext& context) {
  int id = 0;
  DownloadTask* task = SelectedTask(context, &id);
  if (!task) return;
  task->State = kTaskDeleted;
  context.controls.DeleteRow(kDownloadList, context.controls.SelectedRow(kDownloadList));
  TellBrowser(context, id);
}

void DeleteTaskAndFile(DownloadContext& context) {
  int id = 0;
  DownloadTask* task = SelectedTask(context, &id);
  if (!task) return;
  const bool finished = task->State == kTaskCompleted && HasFinalName(*task);
  task->State = kTaskDeletedWithFile;
  // A finished task's file has its final name; any other task's data is in
  // its own temporary file (the browser removes the partial one it writes
  // when it cancels), never in a bare name of the working folder.
  ::unlink((finished ? task->FileName : task->TempPath).c_str());
  context.controls.DeleteRow(kDownloadList, context.controls.SelectedRow(kDownloadList));
  TellBrowser(context, id);
}

void OpenTaskFolder(DownloadContext& context) {
  const DownloadTask* task = SelectedTask(context);
  // Only a finished file's name is a path; a bare name would be looked for
  // in the working folder.
  if (task && HasFinalName(*task))
    OpenFolderAndSelect(context, task->FileName, false);
}

bool RunDownloadTaskCommand(DownloadContext& context, int commandId) {
  switch (commandId) {
    case kPauseTaskCommand:
      PauseTask(context);
      return true;
    case kResumeTaskCommand:
      ResumeTask(context);
      return true;
    case kDeleteTaskCommand:
      DeleteTask(context);
      return true;
    case kDeleteTaskAndFileCommand:
      DeleteTaskAndFile(context);
      return true;
    case kOpenTaskFolderCommand:
      OpenTaskFolder(context);
      return true;
    default:
      return false;
  }
}

}  // namespace larkbay
