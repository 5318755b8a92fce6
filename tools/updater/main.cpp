// Update.exe: replaces a file of the Lark-Bay client as the hand-over record
// beside this program describes it, ends the old program and starts the new
// one. Run without arguments from the client's data folder.
//
//   Update.exe [--record PATH]

#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "console_report.h"
#include "platform/processes.h"
#include "update_job.h"
#ifdef LARKBAY_UPDATER_WINDOW
#include "progress_window.h"
#endif

namespace {

using namespace larkbay::updater;

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "用法：Update.exe [--record 路径]\n"
               "  读取更新信息（默认是本程序旁边的 program_updata_config），下载新文件，\n"
               "  替换旧文件，关闭旧程序，再启动新程序。\n");
}

#ifdef LARKBAY_UPDATER_WINDOW
bool HasDisplay() {
  const auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
  };
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform != nullptr && std::string_view(platform) == "offscreen") return false;
  return set("DISPLAY") || set("WAYLAND_DISPLAY");
}
#endif

// The client's automation socket, when it had one, is handed on to the copy
// started again and to nothing else this process starts (the download's
// helpers, a window's): out of the environment before any thread exists.
void TakeHandOnEnvironment() {
  constexpr char kAutomation[] = "LARKBAY_AUTOMATION";
  const char* automation = std::getenv(kAutomation);
  if (automation == nullptr) return;
  larkbay::SetHandOnEnvironment({std::string(kAutomation) + '=' + automation});
  ::unsetenv(kAutomation);
}

}  // namespace

int main(int argc, char** argv) {
  TakeHandOnEnvironment();
  std::string recordPath;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--record" && i + 1 < argc) {
      recordPath = argv[++i];
    } else if (arg == "--help" || arg == "-h") {
      PrintUsage(stdout);
      return kExitOk;
    } else {
      std::fprintf(stderr, "updater: 不认识的参数：%s\n", argv[i]);
      PrintUsage(stderr);
      return kExitUsage;
    }
  }
  if (recordPath.empty()) recordPath = DefaultRecordPath();
  TrustCaOfClientSettings(recordPath);

  if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
    std::fprintf(stderr, "updater: 无法启动下载组件\n");
    return kExitDownloadFailed;
  }
  int code = kExitOk;
  bool ran = false;
  const auto job = [&recordPath](UpdateReport& report) { return RunUpdate(recordPath, report); };
#ifdef LARKBAY_UPDATER_WINDOW
  if (HasDisplay()) {
    code = RunInApplication(argc, argv, job);
    ran = true;
  }
#endif
  if (!ran) {
    ConsoleReport report;
    code = job(report);
  }
  curl_global_cleanup();
  return code;
}
