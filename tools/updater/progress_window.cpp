#include "progress_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QVBoxLayout>
#include <QWidget>
#include <atomic>
#include <mutex>
#include <thread>

#include "console_report.h"
#include "messages.h"

namespace larkbay::updater {
namespace {

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }
QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

const QString& Title() {
  static const QString title = Text("Lark-Bay 更新");
  return title;
}

class UpdateWindow : public QWidget {
 public:
  UpdateWindow() {
    setWindowTitle(Title());
    auto* layout = new QVBoxLayout(this);
    label_ = new QLabel(Text("正在准备更新……"), this);
    label_->setWordWrap(true);
    label_->setMinimumWidth(380);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 0);  // busy until a length is known
    layout->addWidget(label_);
    layout->addWidget(bar_);
  }

  void SetStep(const QString& text) { label_->setText(text); }
  void SetProgress(int percent) {
    bar_->setRange(0, 100);
    bar_->setValue(percent);
  }
  void SetBusy() { bar_->setRange(0, 0); }
  void Finish() { finished_ = true; }
  bool CancelRequested() const { return cancel_; }

 protected:
  void closeEvent(QCloseEvent* event) override {
    if (finished_) {
      event->accept();
      return;
    }
    // The job ends itself: the download stops, or the last short steps finish.
    cancel_ = true;
    label_->setText(Text("正在取消……"));
    event->ignore();
  }

 private:
  QLabel* label_ = nullptr;
  QProgressBar* bar_ = nullptr;
  std::atomic<bool> cancel_{false};
  bool finished_ = false;
};

// Hands the job's reports to the window on the GUI thread.
class WindowReport : public UpdateReport {
 public:
  explicit WindowReport(UpdateWindow& window) : window_(window), console_(nullptr) {}

  void Step(UpdateStep step, const std::string& detail) override {
    const QString text = Text(StepLine(step, detail));
    Post([text](UpdateWindow& w) { w.SetStep(text); });
    if (step == UpdateStep::kReceived) Post([](UpdateWindow& w) { w.SetProgress(100); });
  }

  void Progress(std::uint64_t received, std::int64_t total) override {
    if (total <= 0) return;  // the bar stays busy
    const int percent = static_cast<int>(
        std::min<std::uint64_t>(100, received * 100 / static_cast<std::uint64_t>(total)));
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    Post([percent](UpdateWindow& w) { w.SetProgress(percent); });
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
  template <typename F>
  void Post(F change) {
    UpdateWindow* window = &window_;
    QMetaObject::invokeMethod(
        window, [window, change] { change(*window); }, Qt::QueuedConnection);
  }

  UpdateWindow& window_;
  ConsoleReport console_;
  int lastPercent_ = -1;
  std::mutex mutex_;
  std::string why_;
};

}  // namespace

int RunInWindow(int& argc, char** argv, const std::function<int(UpdateReport&)>& job) {
  QApplication app(argc, argv);
  UpdateWindow window;
  window.show();
  WindowReport report(window);
  std::atomic<int> code{kExitOk};
  std::thread worker([&] {
    code = job(report);
    UpdateWindow* target = &window;
    QMetaObject::invokeMethod(
        target,
        [target, &report, &code] {
          target->Finish();
          if (code != kExitOk && !target->CancelRequested()) {
            QMessageBox::critical(target, Title(), Text(report.Why()));
          }
          QApplication::quit();
        },
        Qt::QueuedConnection);
  });
  app.exec();
  worker.join();
  return code;
}

}  // namespace larkbay::updater
