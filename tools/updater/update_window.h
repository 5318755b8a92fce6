#pragma once
// The updater's progress window: what it is doing, the path it works on, a
// progress bar and a cancel button. Built only with Qt.

#include <QString>
#include <QWidget>
#include <atomic>
#include <cstdint>

class QDialogButtonBox;
class QProgressBar;

namespace larkbay::updater {

class ElidedLabel;

class UpdateWindow : public QWidget {
 public:
  explicit UpdateWindow(QWidget* parent = nullptr);

  // `path` "" keeps the path shown.
  void SetStep(const QString& heading, const QString& path);
  // `total` > 0; the bar shows both sizes and the share.
  void SetProgress(std::uint64_t received, std::uint64_t total);
  void SetComplete();
  // From now on the window closes; before, closing it asks to cancel.
  void Finish() { finished_ = true; }
  bool CancelRequested() const { return cancel_; }
  // A modal box over the window, which shows the update as not done.
  void ShowFailure(const QString& why);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void RequestCancel();
  void PlaceOnScreen();

  ElidedLabel* heading_ = nullptr;
  ElidedLabel* path_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QDialogButtonBox* buttons_ = nullptr;
  std::atomic<bool> cancel_{false};
  bool finished_ = false;
};

}  // namespace larkbay::updater
