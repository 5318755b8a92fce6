// The Lark-Bay client. Takes no arguments.
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "app/automation/automation_channel.h"
#include "app/locale/program_language.h"
#include "app/logging/developer_log_file.h"
#include "app/logging/terminal_messages.h"
#include "app/program.h"
#include "platform/app_data_dir.h"
#include "platform/special_folder.h"

namespace {

// Milliseconds since this process was started, from the kernel's record of
// the start (clock ticks since boot) and the boot clock.
long MillisecondsSinceProcessStart() {
  std::ifstream stat("/proc/self/stat");
  std::string line;
  std::getline(stat, line);
  const auto close = line.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(line.substr(close + 2));
  std::string field;
  // Fields after the command name start at field 3; the start time is field 22.
  for (int i = 3; i < 22 && fields >> field; ++i) {
  }
  unsigned long long startTicks = 0;
  if (!(fields >> startTicks)) return -1;
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
  const double nowMs =
      static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
  return static_cast<long>(nowMs - static_cast<double>(startTicks) * 1000.0 / ticks);
}

// Qt keeps per-user sockets and locks in XDG_RUNTIME_DIR; a session that has
// none (a root shell, a service) gets the private folder Qt would pick itself,
// without Qt's warning on every start.
void EnsureRuntimeDirectory() {
  const char* set = std::getenv("XDG_RUNTIME_DIR");
  if (set && *set) return;
  const std::string folder = "/tmp/runtime-" + std::to_string(::getuid());
  ::mkdir(folder.c_str(), 0700);
  struct stat info {};
  // Only a folder of our own that nobody else can enter.
  if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
    return;
  if ((info.st_mode & 0077) != 0 && ::chmod(folder.c_str(), 0700) != 0) return;
  ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
}

// The browser engine points XDG_DATA_HOME into its own folder while it makes
// its profile, on the interface thread while workers may read the
// environment. Present from the start (with the desktop's default, which is
// what its absence means), the variable is then only replaced in place.
void EnsureDataHome() {
  const char* set = std::getenv("XDG_DATA_HOME");
  if (set && *set) return;
  const std::string home = larkbay::HomeDirectory();
  if (!home.empty()) ::setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
}

}  // namespace

int main(int argc, char** argv) {
  // Only when a test of the whole client asks for it; out of the environment
  // before any thread or child could read it.
  const QString automationPath = larkbay::AutomationChannel::TakePathFromEnvironment();
  EnsureRuntimeDirectory();
  EnsureDataHome();
  // Before anything of Qt's speaks: from the application object on.
  larkbay::KeepTerminalForRealProblems();
  larkbay::InstallDeveloperLog(larkbay::AppDataDir());
  // The browser engine plugin shares OpenGL contexts with the host; this must
  // be set before the application object exists.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  larkbay::UseProgramLanguage(app);

  larkbay::ProgramOptions options;
  // LARKBAY_STARTUP_TIMING=1 reports when the main window is up, for
  // measuring the start-up.
  if (const char* timing = std::getenv("LARKBAY_STARTUP_TIMING"); timing && *timing == '1') {
    options.mainWindowShown = [] {
      std::fprintf(stderr, "lark-bay: main window shown %ld ms after process start\n",
                   MillisecondsSinceProcessStart());
      std::fflush(stderr);
    };
  }
  larkbay::Program program(std::move(options));
  const auto automation = larkbay::AutomationChannel::Open(program, automationPath);
  program.Start();
  return app.exec();
}
