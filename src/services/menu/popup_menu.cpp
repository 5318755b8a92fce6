#include "services/menu/popup_menu.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPoint>
#include <QWidget>
#include <utility>

#include "services/menu/menu_command.h"
#include "services/menu/menu_route.h"

namespace larkbay {
namespace {

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Depth-first in menu order, like a lookup by command id through submenus.
QAction* FindItem(QMenu* menu, int commandId) {
  for (QAction* action : menu->actions()) {
    if (auto* submenu = action->menu<QMenu*>()) {
      if (QAction* found = FindItem(submenu, commandId)) return found;
    } else if (IsCommandItem(action) && CommandIdOf(action) == commandId) {
      return action;
    }
  }
  return nullptr;
}

std::vector<MenuEntry> Describe(const QMenu* menu) {
  std::vector<MenuEntry> entries;
  for (const QAction* action : menu->actions()) {
    MenuEntry entry;
    entry.separator = action->isSeparator();
    entry.caption = action->text().toStdString();
    entry.checked = action->isChecked();
    entry.enabled = action->isEnabled();
    if (const auto* submenu = action->menu<QMenu*>()) {
      entry.children = Describe(submenu);
    } else {
      entry.commandId = CommandIdOf(action);
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

bool IsOwnedByParentMenu(const QMenu* menu) {
  return qobject_cast<const QMenu*>(menu->parent()) != nullptr;
}

}  // namespace

bool PopupMenu::CreatePopup() {
  if (menu_ || qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return false;
  menu_ = new QMenu();
  systemMenu_ = false;
  return true;
}

bool PopupMenu::AttachSystemMenu(QWidget* window) {
  if (menu_ || window == nullptr) return false;
  auto* systemMenu = window->findChild<QMenu*>(QString::fromLatin1(kSystemMenuName));
  if (systemMenu == nullptr) return false;
  MenuRoute* route = MenuRoute::Ensure(systemMenu);
  route->target = window;
  route->kind = MenuCommandKind::SysCommand;
  menu_ = systemMenu;
  systemMenu_ = true;
  return true;
}

void PopupMenu::Destroy() {
  QMenu* menu = menu_;
  menu_ = nullptr;
  const bool systemMenu = std::exchange(systemMenu_, false);
  if (menu == nullptr || systemMenu || IsOwnedByParentMenu(menu)) return;
  const MenuRoute* route = MenuRoute::Of(menu);
  if (menu->isVisible() || (route != nullptr && route->tracking)) {
    // Still on screen or inside TrackAt: let the menu's own event handling end first.
    menu->hide();
    menu->deleteLater();
  } else {
    delete menu;
  }
}

QMenu* PopupMenu::GetHandle() const { return menu_; }

bool PopupMenu::AppendSubmenu(const PopupMenu& submenu, std::string_view caption) {
  QMenu* sub = submenu.menu_;
  if (!menu_ || sub == nullptr || sub == menu_ || submenu.systemMenu_ || IsOwnedByParentMenu(sub)) {
    return false;
  }
  for (QObject* above = menu_->parent(); above != nullptr; above = above->parent()) {
    if (above == sub) return false;  // would make a loop
  }
  // The parent menu owns the submenu from now on; it keeps its popup flags.
  sub->setParent(menu_, sub->windowFlags());
  sub->setTitle(ToQString(caption));
  menu_->addMenu(sub);
  return true;
}

bool PopupMenu::AppendItem(std::string_view caption, int commandId) {
  if (!menu_) return false;
  auto* action = new QAction(ToQString(caption), menu_);
  MakeCommandItem(action, commandId);
  menu_->addAction(action);
  return true;
}

int PopupMenu::TrackAt(int x, int y, QWidget* owner, int flags) {
  if (!menu_) return 0;
  QPointer<QMenu> menu = menu_.data();
  QPointer<QWidget> target = owner;
  QPointer<MenuRoute> route = MenuRoute::Ensure(menu);
  const QPointer<QObject> savedTarget = route->target;
  const MenuCommandKind savedKind = route->kind;
  route->target = owner;
  route->kind = MenuCommandKind::Command;
  route->tracking = true;
  route->chosen = 0;

  if (owner != nullptr) owner->activateWindow();
  QAction* chosenAction = menu->exec(QPoint(x, y));

  int chosen = 0;
  if (route) {
    chosen = route->chosen;
    route->tracking = false;
    route->target = savedTarget;
    route->kind = savedKind;
  }
  // exec() also reports the choice; it counts when the item's own signal was
  // not seen (the item was removed while the menu was open).
  if (chosen == 0 && chosenAction != nullptr && IsCommandItem(chosenAction)) {
    chosen = CommandIdOf(chosenAction);
  }
  if ((flags & kTrackReturnCommand) != 0) return chosen;
  if (chosen != 0 && target) {
    QCoreApplication::postEvent(target, new MenuCommandEvent(MenuCommandKind::Command, chosen));
  }
  return 1;
}

bool PopupMenu::SetItemState(int item, int state, bool byPosition) {
  if (!menu_) return false;
  QAction* action = nullptr;
  if (byPosition) {
    const QList<QAction*> actions = menu_->actions();
    if (item >= 0 && item < actions.size()) action = actions[item];
  } else {
    action = FindItem(menu_, item);
  }
  if (action == nullptr) return false;

  SetItemChecked(action, (state & kMenuStateChecked) != 0);
  action->setEnabled((state & kMenuStateDisabled) == 0);
  if (auto* owner = qobject_cast<QMenu*>(action->parent())) {
    if ((state & kMenuStateDefault) != 0) {
      owner->setDefaultAction(action);
    } else if (owner->defaultAction() == action) {
      owner->setDefaultAction(nullptr);
    }
  }
  return true;
}

std::vector<MenuEntry> PopupMenu::Entries() const {
  return menu_ ? Describe(menu_) : std::vector<MenuEntry>{};
}

bool PopupMenu::Trigger(int commandId) {
  if (!menu_) return false;
  QAction* action = FindItem(menu_, commandId);
  if (action == nullptr || !action->isEnabled()) return false;
  action->trigger();
  return true;
}

}  // namespace larkbay
