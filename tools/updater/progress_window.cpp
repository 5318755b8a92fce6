#include "progress_window.h"

#include <QApplication>
#include <QEventLoop>
#include <QLibraryInfo>
#include <QTranslator>
#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

#include "console_report.h"
#include "messages.h"
#include "update_window.h"

namespace larkbay::updater {
namespace {

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

// Hands the job's reports to the window on the GUI thread.
class WindowReport : public UpdateReport {
 public:
  explicit WindowReport(UpdateWindow& window) : window_(window), console_(nullptr) {}

  void Step(UpdateStep step, const std::string& detail) override {
    const StepText text = DescribeStep(step, detail);
    Post([heading = Text(text.heading), path = Text(text.path)](UpdateWindow& w) {
      w.SetStep(heading, path);
    });
    if (step == UpdateStep::kReceived) Post([](UpdateWindow& w) { w.SetComplete(); });
  }

  void Progress(std::uint64_t received, std::int64_t total) override {
    if (total <= 0) return;  // the bar stays busy
    const auto size = static_cast<std::uint64_t>(total);
    const std::uint64_t percent = std::min<std::uint64_t>(100, received * 100 / size);
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    Post([received, size](UpdateWindow& w) { w.SetProgress(received, size); });
  }

  void Failure(const std::string& why) override {
    console_.Failure(why);
    std::lock_guard lock(mutex_);
    why_ = why;
  }

  bool Cancelled() const override { return window_.CancelRequested(); }

  std::string Why() {
    std::lock_guard lock(mutex_);
    return why_;
  }

 private:
  // Changes queued to the window run in order, and are dropped with it.
  template <typename F>
  void Post(F change) {
    UpdateWindow* window = &window_;
    QMetaObject::invokeMethod(
        window, [window, change] { change(*window); }, Qt::QueuedConnection);
  }

  UpdateWindow& window_;
  ConsoleReport console_;  // failures go to standard error as well
  std::uint64_t lastPercent_ = 101;
  std::mutex mutex_;
  std::string why_;
};

}  // namespace

bool LoadQtChineseTexts() {
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

int RunInWindow(const std::function<int(UpdateReport&)>& job) {
  UpdateWindow window;
  window.show();
  WindowReport report(window);
  std::atomic<int> code{kExitOk};
  QEventLoop loop;
  std::thread worker([&] {
    code = job(report);
    // Queued after every change the job posted, so the window has shown them.
    QMetaObject::invokeMethod(
        &window,
        [&] {
          window.Finish();
          if (code != kExitOk && !window.CancelRequested()) window.ShowFailure(Text(report.Why()));
          loop.quit();
        },
        Qt::QueuedConnection);
  });
  loop.exec();
  worker.join();
  return code;
}

int RunInApplication(int& argc, char** argv, const std::function<int(UpdateReport&)>& job) {
  QApplication app(argc, argv);
  // The window's own loop ends the run, not its last window.
  QApplication::setQuitOnLastWindowClosed(false);
  LoadQtChineseTexts();
  return RunInWindow(job);
}

}  // namespace larkbay::updater
