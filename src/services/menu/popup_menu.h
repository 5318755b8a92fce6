#pragma once
// The menu object through which the client builds every menu it shows: the
// result lists' right-click menus, the download list's menu and the player
// settings submenu of the main window's system menu.
//
// An object holds one menu (a QMenu) or none. Copies stand for the same menu.
// Discarding an object never destroys its menu; only Destroy does. After
// AppendSubmenu the parent menu owns the submenu: a Destroy on the submenu's
// object then only lets go of it, and the submenu stays shown and usable in the
// parent until the parent is destroyed.
//
// The system menu: this build has no title-bar menu, so a window offers a menu
// the user reaches from it (in its menu bar or behind a settings button) as a
// QMenu child with objectName "SystemMenu" (kSystemMenuName). AttachSystemMenu
// binds to that QMenu; the object never destroys it.
//
// Chosen items are not returned: each arrives as a MenuCommandEvent
// (menu_command.h) at the window, after the menu has closed.
//
// Texts are UTF-8. Interface thread only.

#include <QPointer>
#include <string>
#include <string_view>
#include <vector>

class QMenu;
class QWidget;

namespace larkbay {

inline constexpr char kSystemMenuName[] = "SystemMenu";

// Item states of SetItemState (bits): 8 = check mark; 1 or 2 = greyed (not
// selectable); 0x1000 = default item (shown bold). 0 = enabled, no check mark.
inline constexpr int kMenuStateChecked = 0x8;
inline constexpr int kMenuStateDisabled = 0x3;
inline constexpr int kMenuStateDefault = 0x1000;

// TrackAt flag: return the chosen command id instead of sending it.
inline constexpr int kTrackReturnCommand = 0x100;

// One item of a built menu, for checking menus without a user.
struct MenuEntry {
  std::string caption;
  int commandId = 0;  // 0 for a submenu
  bool checked = false;
  bool enabled = true;
  bool separator = false;           // a separator line (no caption, no id)
  std::vector<MenuEntry> children;  // the items of a submenu
};

class PopupMenu {
 public:
  PopupMenu() = default;

  // Makes a new empty menu. False (and nothing changes) when the object already
  // holds a menu.
  bool CreatePopup();
  // Binds to the "SystemMenu" QMenu child of `window` (searched recursively).
  // False when the object already holds a menu or the window has none. Items of
  // the system menu (also in appended submenus) are sent to `window` as
  // MenuCommandKind::SysCommand.
  bool AttachSystemMenu(QWidget* window);
  // Destroys the held menu and its submenus, unless it is a system menu or a
  // submenu owned by a parent menu (then the object only lets go). The object is
  // empty afterwards. Nothing when empty.
  void Destroy();
  QMenu* GetHandle() const;

  // Appends `submenu`'s menu at the end, under `caption`; this menu takes
  // ownership of it. False when either object is empty, the submenu is this
  // menu, or the submenu already has a parent menu.
  bool AppendSubmenu(const PopupMenu& submenu, std::string_view caption);
  // Appends an item at the end. False when the object is empty.
  bool AppendItem(std::string_view caption, int commandId);

  // Shows the menu at screen position (x, y) and returns when it closes. The
  // chosen item goes to `owner` as MenuCommandKind::Command after that, unless
  // `flags` holds kTrackReturnCommand: then the chosen id is returned (0 for
  // none) and nothing is sent. Without that flag: 1 when the menu was shown, 0
  // when the object is empty.
  int TrackAt(int x, int y, QWidget* owner, int flags);

  // Sets the state of an item: byPosition false = `item` is a command id,
  // searched through the submenus too; true = `item` is a 0-based position in
  // this menu. False when no such item exists.
  bool SetItemState(int item, int state, bool byPosition);

  // --- without a user -------------------------------------------------------
  // The items of the held menu, in order (empty when the object is empty).
  std::vector<MenuEntry> Entries() const;
  // Chooses the item with `commandId` (searched through the submenus) as the
  // user would: a tracked menu closes and TrackAt delivers the id; a system
  // menu sends it to its window at once. False when no such item exists.
  bool Trigger(int commandId);

 private:
  QPointer<QMenu> menu_;
  bool systemMenu_ = false;
};

}  // namespace larkbay
