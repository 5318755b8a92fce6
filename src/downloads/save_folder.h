#pragma once
// The download folder: choosing it, opening it, and showing a file in it.

#include <string>

#include "downloads/download_context.h"

namespace larkbay {

// Opens the folder of the file at `path` with the file selected; false when
// there is no such file or nothing could be opened. `edit` (rename the file
// at once) is not offered by the desktop's file managers.
bool OpenFolderAndSelect(DownloadContext& context, const std::string& path, bool edit);

// 按钮_下载到: the picker "保存到" at the folder now; an existing folder chosen
// becomes the download folder, is written to Config.ini and shown.
void ChooseSaveFolder(DownloadContext& context);

// 按钮_保存位置: makes the folder exist and opens it.
void OpenSaveFolder(DownloadContext& context);

}  // namespace larkbay
