#include "services/menu/menu_command.h"

#include <QObject>
#include <QWidget>
#include <utility>

namespace larkbay {
namespace {

class MenuCommandFilter : public QObject {
 public:
  MenuCommandFilter(QWidget* window, MenuCommandSink sink)
      : QObject(window), window_(window), sink_(std::move(sink)) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == window_ && event->type() == MenuCommandEvent::EventType()) {
      const auto* command = static_cast<MenuCommandEvent*>(event);
      if (sink_) sink_(command->kind(), command->commandId());
      return true;
    }
    return false;
  }

 private:
  QWidget* window_;
  MenuCommandSink sink_;
};

}  // namespace

MenuCommandEvent::MenuCommandEvent(MenuCommandKind kind, int commandId)
    : QEvent(EventType()), kind_(kind), commandId_(commandId) {}

QEvent::Type MenuCommandEvent::EventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

QObject* InstallMenuCommandSink(QWidget* window, MenuCommandSink sink) {
  if (window == nullptr) return nullptr;
  auto* filter = new MenuCommandFilter(window, std::move(sink));
  window->installEventFilter(filter);
  return filter;
}

}  // namespace larkbay
