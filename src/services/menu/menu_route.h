#pragma once
// Where the items of a menu tree go when chosen. A route hangs off the top menu
// of a tree (a system menu, or a menu while TrackAt shows it); items find it by
// walking up from their menu, so an item reaches the right window whichever
// menu it was appended to first.

#include <QObject>
#include <QPointer>

#include "services/menu/menu_command.h"

class QAction;
class QMenu;

namespace larkbay {

class MenuRoute : public QObject {
 public:
  explicit MenuRoute(QMenu* menu);

  QPointer<QObject> target;
  MenuCommandKind kind = MenuCommandKind::Command;
  bool tracking = false;  // TrackAt is showing the menu: keep the choice for it
  int chosen = 0;

  // The route of `menu` itself, or nullptr.
  static MenuRoute* Of(QMenu* menu);
  static MenuRoute* Ensure(QMenu* menu);
};

// Makes `action` a command item with `commandId` whose choice follows the routes.
void MakeCommandItem(QAction* action, int commandId);
// The command id of an item made by MakeCommandItem; 0 for anything else.
int CommandIdOf(const QAction* action);
bool IsCommandItem(const QAction* action);
// Sets the check mark that the item keeps (a click does not change it).
void SetItemChecked(QAction* action, bool checked);

}  // namespace larkbay
