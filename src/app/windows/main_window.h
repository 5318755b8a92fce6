#pragma once
// The working window: the player strip at the top, the tab control with the DJ,
// song and download pages, and the menu that stands in for the system menu.

#include <QMainWindow>

#include "app/commands/window_proc.h"

class QMenu;

namespace larkbay {

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainWindow(QWidget* parent = nullptr);

  // The menu the user reaches from the window's menu bar (objectName
  // "SystemMenu"); its items arrive as kWmSysCommand.
  QMenu* SystemMenu() const { return systemMenu_; }
  // Replaces the window procedure that menu commands go to; answers the
  // previous one.
  WindowProc SetWindowProc(WindowProc proc);
  // Hands a message to the current window procedure, as a chosen menu item does.
  void SendMessage(unsigned message, std::uintptr_t wParam);

 private:
  QMenu* systemMenu_;
  WindowProc windowProc_;
};

}  // namespace larkbay
