// Focus, label looks, windows' activity, menus at the cursor and the
// clipboard in QtControls.
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

#include "app/controls/qt_controls.h"
#include "app/controls/qt_controls_gui_thread.h"
#include "services/menu/popup_menu.h"

namespace larkbay {
namespace {

// Adds `items` to `menu`; submenus become menus of their own that `menu` then
// owns.
void AppendItems(PopupMenu& menu, const std::vector<MenuItem>& items) {
  for (const MenuItem& item : items) {
    if (!item.submenu) {
      menu.AppendItem(item.caption, item.commandId);
      continue;
    }
    PopupMenu sub;
    if (!sub.CreatePopup()) continue;
    AppendItems(sub, item.children);
    menu.AppendSubmenu(sub, item.caption);
  }
}

}  // namespace

bool QtControls::SetFocus(std::string_view name) {
  return OnGui([&] {
    QWidget* w = FindWidget(name);
    if (!w) return false;
    w->setFocus(Qt::OtherFocusReason);
    return true;
  });
}

bool QtControls::SetFontSize(std::string_view name, int points) {
  return OnGui([&] {
    QWidget* w = FindWidget(name);
    if (!w || points <= 0) return false;
    QFont font = w->font();
    font.setPointSize(points);
    w->setFont(font);
    return true;
  });
}

bool QtControls::SetTextCentred(std::string_view name, bool centred) {
  return OnGui([&] {
    auto* label = qobject_cast<QLabel*>(Find(name));
    if (!label) return false;
    const Qt::Alignment vertical = label->alignment() & Qt::AlignVertical_Mask;
    label->setAlignment((centred ? Qt::AlignHCenter : Qt::AlignLeft) | vertical);
    return true;
  });
}

bool QtControls::SelectAll(std::string_view name) {
  return OnGui([&] {
    if (auto* edit = qobject_cast<QLineEdit*>(Find(name))) {
      edit->selectAll();
      return true;
    }
    if (auto* edit = qobject_cast<QPlainTextEdit*>(Find(name))) {
      edit->selectAll();
      return true;
    }
    return false;
  });
}

bool QtControls::IsActiveWindow(std::string_view name) {
  return OnGui([&] {
    QWidget* w = FindWidget(name);
    return w && w->isWindow() && w->isActiveWindow();
  });
}

bool QtControls::TrackMenu(std::string_view owner, const std::vector<MenuItem>& menu) {
  return OnGui([&] {
    QWidget* window = FindWidget(owner);
    if (!window) return false;
    // One list menu at a time, made again for every showing.
    listMenu_.Destroy();
    if (!listMenu_.CreatePopup()) return false;
    AppendItems(listMenu_, menu);
    const QPoint at = menuAnchor_.value_or(QCursor::pos());
    return listMenu_.TrackAt(at.x(), at.y(), window, 0) != 0;
  });
}

bool QtControls::RunOnInterfaceThread(const std::function<void()>& work) {
  return OnGui([&] {
    work();
    return true;
  });
}

bool QtControls::SetClipboardText(std::string_view text) {
  return OnGui([&] {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return false;
    const QString value = ToQString(text);
    clipboard->setText(value);
    return clipboard->text() == value;
  });
}

}  // namespace larkbay
