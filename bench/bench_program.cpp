#include "bench_program.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "search_start_steps.h"

namespace larkbay::bench {

void PrepareProcess() {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("LARKBAY_SERVER_BINARY", LARKBAY_SERVER_BINARY);
}

void UseScratchFolders(const QTemporaryDir& root) {
  qputenv("APPDATA", root.filePath(QStringLiteral("appdata")).toLocal8Bit());
  qputenv("XDG_DESKTOP_DIR", root.filePath(QStringLiteral("desktop")).toLocal8Bit());
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) return false;
    QEventLoop loop;
    QTimer::singleShot(2, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

std::unique_ptr<Program> StartWithEngine(const std::string& apiBase, const std::string& engineDir) {
  ProgramOptions options;
  options.apiBase = apiBase;
  options.steps = [engineDir](StartupContext& c) {
    return testing::SearchStartSteps(c, engineDir);
  };
  auto shown = std::make_shared<bool>(false);
  options.mainWindowShown = [shown] { *shown = true; };
  auto program = std::make_unique<Program>(std::move(options));
  program->Start();
  if (!WaitFor([&] { return *shown; }, 60000) || !program->Engine().Running()) {
    std::fprintf(stderr, "the program did not start with the engine\n");
    return nullptr;
  }
  return program;
}

}  // namespace larkbay::bench
