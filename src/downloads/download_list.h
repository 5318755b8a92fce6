#pragma once
// The download list: its cells, how a row leads to its task, its menu by the
// task's state and the task commands the menu sends.

#include <string>
#include <string_view>
#include <vector>

#include "downloads/download_context.h"
#include "platform/control_interface.h"

namespace larkbay {

struct DownloadTask;

// Columns: 序号, 文件名, 文件大小, 下载进度, 下载状态, 下载标识 (hidden).
inline constexpr int kTaskStateColumn = 4;
inline constexpr int kTaskIdColumn = 5;

inline constexpr char kStateFailedText[] = "下载错误";
inline constexpr char kStateDownloadingText[] = "正在下载";
inline constexpr char kStateCompletedText[] = "下载完成";
inline constexpr char kStatePausedText[] = "暂停下载";
inline constexpr char kStateResumedText[] = "恢复下载";

// The task commands of the list's menu.
inline constexpr int kPauseTaskCommand = 2003;
inline constexpr int kResumeTaskCommand = 2004;
inline constexpr int kDeleteTaskCommand = 2005;
inline constexpr int kDeleteTaskAndFileCommand = 2006;
inline constexpr int kOpenTaskFolderCommand = 2007;

// The row whose 下载标识 cell holds `id`; -1 when none does.
int RowOfTask(ControlInterface& controls, int id);
// Cells 0 to 4 of `row`.
void SetRowCells(ControlInterface& controls, int row, const std::vector<std::string>& cells);
// The progress and state cells of `row`.
void SetRowState(ControlInterface& controls, int row, std::string_view percent,
                 std::string_view state);
// A file name (or path) without its folder and its extension.
std::string DisplayName(std::string_view fileName);

// The task of the selected row (its 下载标识), or null.
DownloadTask* SelectedTask(DownloadContext& context, int* taskId = nullptr);

// The items the list's menu has for a task in this state.
std::vector<MenuItem> DownloadTaskMenu(int state);
// Right button on the list: the selected task's menu at the cursor.
void OnDownloadListRightClick(DownloadContext& context);

// The task commands, on the selected row's task.
void PauseTask(DownloadContext& context);
void ResumeTask(DownloadContext& context);
void DeleteTask(DownloadContext& context);
void DeleteTaskAndFile(DownloadContext& context);
void OpenTaskFolder(DownloadContext& context);
// One of the five commands by its id; false for another id.
bool RunDownloadTaskCommand(DownloadContext& context, int commandId);

}  // namespace larkbay
