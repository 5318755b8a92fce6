#include "services/menu/menu_route.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

namespace larkbay {
namespace {

constexpr char kCommandIdProperty[] = "larkbayCommandId";
constexpr char kCheckedProperty[] = "larkbayChecked";

// The nearest route above `action`, and the menus from the action's menu up to
// the route's menu.
MenuRoute* FindRoute(QAction* action, QList<QMenu*>& path) {
  for (QObject* object = action->parent(); object != nullptr; object = object->parent()) {
    auto* menu = qobject_cast<QMenu*>(object);
    if (menu == nullptr) continue;
    path.append(menu);
    if (MenuRoute* route = MenuRoute::Of(menu)) return route;
  }
  return nullptr;
}

void OnTriggered(QAction* action) {
  // The check mark follows the program's state only (SetItemState), never the
  // click itself.
  if (action->isCheckable()) action->setChecked(action->property(kCheckedProperty).toBool());

  QList<QMenu*> path;
  MenuRoute* route = FindRoute(action, path);
  if (route == nullptr) return;
  const int id = CommandIdOf(action);
  if (route->tracking) {
    route->chosen = id;
    // A choice made without the mouse or keyboard closes the menus as a click
    // would, which ends TrackAt.
    for (QMenu* menu : path) {
      if (menu->isVisible()) menu->hide();
    }
    return;
  }
  if (route->target) {
    QCoreApplication::postEvent(route->target, new MenuCommandEvent(route->kind, id));
  }
}

}  // namespace

MenuRoute::MenuRoute(QMenu* menu) : QObject(menu) {}

MenuRoute* MenuRoute::Of(QMenu* menu) {
  for (QObject* child : menu->children()) {
    if (auto* route = dynamic_cast<MenuRoute*>(child)) return route;
  }
  return nullptr;
}

MenuRoute* MenuRoute::Ensure(QMenu* menu) {
  MenuRoute* route = Of(menu);
  return route != nullptr ? route : new MenuRoute(menu);
}

void MakeCommandItem(QAction* action, int commandId) {
  action->setProperty(kCommandIdProperty, commandId);
  action->setProperty(kCheckedProperty, false);
  QObject::connect(action, &QAction::triggered, action, [action] { OnTriggered(action); });
}

int CommandIdOf(const QAction* action) { return action->property(kCommandIdProperty).toInt(); }

bool IsCommandItem(const QAction* action) { return action->property(kCommandIdProperty).isValid(); }

void SetItemChecked(QAction* action, bool checked) {
  if (checked) action->setCheckable(true);
  action->setProperty(kCheckedProperty, checked);
  action->setChecked(checked);
}

}  // namespace larkbay
