#include "downloads/save_folder.h"

#include <filesystem>

#include "downloads/download_manager.h"
#include "platform/config_ini.h"
#include "platform/control_interface.h"
#include "platform/control_names.h"
#include "platform/desktop_actions.h"
#include "platform/file_system.h"
#include "state/program_state.h"

namespace larkbay {
namespace {

using namespace names;

std::string TrimSpaces(std::string text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

}  // namespace

bool OpenFolderAndSelect(DownloadContext& context, const std::string& path, bool /*edit*/) {
  std::error_code ec;
  if (path.empty() || !std::filesystem::exists(path, ec)) return false;
  return context.desktop && context.desktop->ShowInFolder(path);
}

void ChooseSaveFolder(DownloadContext& context) {
  if (!context.desktop) return;
  std::string& savePath = context.state.appState.SavePath;
  std::string chosen =
      TrimSpaces(context.desktop->PickFolder(kMainWindow, "保存到", savePath));
  if (chosen.empty() || !IsDirectory(chosen)) return;
  if (chosen.back() != '/') chosen += '/';
  savePath = chosen;
  WriteDownloadsSavePath(savePath);
  context.controls.SetText(kSavePathBox, savePath);
}

void OpenSaveFolder(DownloadContext& context) {
  EnsureSaveFolder(context);
  if (context.desktop) context.desktop->OpenFolder(context.state.appState.SavePath);
}

}  // namespace larkbay
