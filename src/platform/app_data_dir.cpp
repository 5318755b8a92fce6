#include "platform/app_data_dir.h"

#include <cstdlib>

#include "platform/file_system.h"
#include "platform/special_folder.h"

namespace larkbay {

std::string AppDataDir() {
  std::string base;
  if (const char* appData = std::getenv("APPDATA"); appData != nullptr && *appData != '\0') {
    base = appData;
  } else if (const char* dataHome = std::getenv("XDG_DATA_HOME");
             dataHome != nullptr && *dataHome != '\0') {
    base = dataHome;
  } else {
    base = HomeDirectory() + "/.local/share";
  }
  if (!base.empty() && base.back() != '/') base += '/';
  std::string folder = base + "Lark-Bay/";
  if (!IsDirectory(folder)) EnsureDirectory(folder);
  return folder;
}

}  // namespace larkbay
