#pragma once
// How a chosen menu item reaches a window: as a MenuCommandEvent posted to it,
// handled after the menu has closed. Items of a menu tracked with TrackAt arrive
// as MenuCommandKind::Command at the owner window; items of the system menu
// (see PopupMenu::AttachSystemMenu) as MenuCommandKind::SysCommand at the
// window the menu was attached with.

#include <QEvent>
#include <functional>

class QObject;
class QWidget;

namespace larkbay {

enum class MenuCommandKind { Command, SysCommand };

class MenuCommandEvent : public QEvent {
 public:
  MenuCommandEvent(MenuCommandKind kind, int commandId);
  static QEvent::Type EventType();
  MenuCommandKind kind() const { return kind_; }
  int commandId() const { return commandId_; }

 private:
  MenuCommandKind kind_;
  int commandId_;
};

using MenuCommandSink = std::function<void(MenuCommandKind kind, int commandId)>;

// Installs an event filter on `window` that hands every MenuCommandEvent to
// `sink` (and lets every other event pass). The filter is a child of `window`
// and goes away with it. Returns the filter object (removing it with delete
// uninstalls the sink).
QObject* InstallMenuCommandSink(QWidget* window, MenuCommandSink sink);

}  // namespace larkbay
