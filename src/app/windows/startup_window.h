#pragma once
// The small window shown while the start-up runs: logo, version label and the
// console. It stays above other windows and has no title.

#include <QDialog>

namespace larkbay {

class StartupWindow : public QDialog {
  Q_OBJECT
 public:
  explicit StartupWindow(QWidget* parent = nullptr);

 protected:
  // Escape closes the window the way its close box does, so the window's
  // destruction handling always runs.
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace larkbay
