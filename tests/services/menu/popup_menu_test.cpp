#include "services/menu/popup_menu.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>

#include "services/menu/menu_command.h"

using namespace larkbay;

namespace {

struct Delivered {
  MenuCommandKind kind;
  int id;
  bool operator==(const Delivered&) const = default;
};

// A main window with a "SystemMenu" in its menu bar and a recording sink.
struct Window {
  QMainWindow window;
  std::vector<Delivered> delivered;
  Window() {
    QMenu* system = window.menuBar()->addMenu(QStringLiteral("菜单"));
    system->setObjectName(QString::fromLatin1(kSystemMenuName));
    system->addAction(QStringLiteral("关于"));
    InstallMenuCommandSink(&window, [this](MenuCommandKind kind, int id) {
      delivered.push_back({kind, id});
    });
  }
};

// Runs `step` on the open popup (the innermost one) once one is open.
void WhenPopupOpen(std::function<void(QMenu*)> step) {
  QTimer::singleShot(0, [step = std::move(step)] {
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (popup == nullptr) {
      WhenPopupOpen(step);
      return;
    }
    step(popup);
  });
}

// The result-list shape: a top menu with two submenus whose objects are
// destroyed right after they are appended.
void BuildResultMenu(PopupMenu& top) {
  QVERIFY(top.CreatePopup());
  const std::pair<const char*, std::vector<std::pair<const char*, int>>> groups[] = {
      {"播放", {{"播放歌曲", 2201}, {"播放MV", 2202}}},
      {"下载", {{"下载【高品】音质320kbps", 2207}, {"下载MV", 2209}}},
  };
  for (const auto& [caption, items] : groups) {
    PopupMenu local;
    QVERIFY(local.CreatePopup());
    for (const auto& [itemCaption, id] : items) QVERIFY(local.AppendItem(itemCaption, id));
    QVERIFY(top.AppendSubmenu(local, caption));
    local.Destroy();
    QVERIFY(local.GetHandle() == nullptr);
  }
  QVERIFY(top.AppendItem("复制歌曲地址", 2203));
}

}  // namespace

class PopupMenuTest : public QObject {
  Q_OBJECT

 private slots:
  void createAndDestroyLifecycle() {
    PopupMenu menu;
    QVERIFY(!menu.AppendItem("x", 1));
    menu.Destroy();  // empty: nothing
    QVERIFY(menu.CreatePopup());
    QPointer<QMenu> first = menu.GetHandle();
    QVERIFY(!menu.CreatePopup());
    QCOMPARE(menu.GetHandle(), first.data());

    PopupMenu copy = menu;  // stands for the same menu
    QCOMPARE(copy.GetHandle(), first.data());
    copy.Destroy();
    QVERIFY(first.isNull());
    QVERIFY(menu.GetHandle() == nullptr);
    QVERIFY(menu.CreatePopup());
    menu.Destroy();
  }

  void submenusOutliveTheirObjectsAndDieWithTheParent() {
    PopupMenu top;
    BuildResultMenu(top);
    const std::vector<MenuEntry> entries = top.Entries();
    QCOMPARE(entries.size(), size_t{3});
    QCOMPARE(entries[0].caption, std::string("播放"));
    QCOMPARE(entries[0].children.size(), size_t{2});
    QCOMPARE(entries[0].children[1].caption, std::string("播放MV"));
    QCOMPARE(entries[0].children[1].commandId, 2202);
    QCOMPARE(entries[1].caption, std::string("下载"));
    QCOMPARE(entries[1].children[0].caption, std::string("下载【高品】音质320kbps"));
    QCOMPARE(entries[1].children[0].commandId, 2207);
    QCOMPARE(entries[2].commandId, 2203);

    QPointer<QMenu> submenu = top.GetHandle()->actions()[1]->menu<QMenu*>();
    QVERIFY(!submenu.isNull());
    top.Destroy();
    QVERIFY(submenu.isNull());
  }

  void appendSubmenuRefusesWhatCannotBeOwned() {
    PopupMenu top, sub, other;
    QVERIFY(top.CreatePopup());
    QVERIFY(!top.AppendSubmenu(sub, "empty"));
    QVERIFY(sub.CreatePopup());
    QVERIFY(!top.AppendSubmenu(top, "itself"));
    QVERIFY(top.AppendSubmenu(sub, "sub"));
    QVERIFY(other.CreatePopup());
    QVERIFY(!other.AppendSubmenu(sub, "already owned"));
    QVERIFY(!sub.AppendSubmenu(top, "loop"));
    other.Destroy();
    top.Destroy();
  }

  void setItemStateFindsIdsThroughSubmenus() {
    PopupMenu top;
    BuildResultMenu(top);
    QVERIFY(top.SetItemState(2207, kMenuStateChecked, false));
    QVERIFY(top.Entries()[1].children[0].checked);
    QVERIFY(top.SetItemState(2207, 0, false));
    QVERIFY(!top.Entries()[1].children[0].checked);
    QVERIFY(top.Entries()[1].children[0].enabled);
    QVERIFY(top.SetItemState(2202, kMenuStateDisabled, false));
    QVERIFY(!top.Entries()[0].children[1].enabled);
    QVERIFY2(!top.Trigger(2202), "a greyed item cannot be chosen");
    // By position: this menu only, separators and submenus count.
    QVERIFY(top.SetItemState(2, kMenuStateChecked, true));
    QVERIFY(top.Entries()[2].checked);
    QVERIFY(!top.SetItemState(3, kMenuStateChecked, true));
    QVERIFY(!top.SetItemState(9999, kMenuStateChecked, false));
    top.Destroy();
  }

  void systemMenuSettingsSubmenu() {
    Window w;
    PopupMenu sysMenu;
    QVERIFY(sysMenu.AttachSystemMenu(&w.window));
    QVERIFY(!sysMenu.AttachSystemMenu(&w.window));
    QWidget bare;
    PopupMenu none;
    QVERIFY(!none.AttachSystemMenu(&bare));

    PopupMenu local;
    QVERIFY(local.CreatePopup());
    QVERIFY(local.AppendItem("自动播放", 1999));
    QVERIFY(local.SetItemState(1999, kMenuStateChecked, false));
    QVERIFY(sysMenu.AppendSubmenu(local, "播放器-设置"));
    local.Destroy();

    std::vector<MenuEntry> entries = sysMenu.Entries();
    QCOMPARE(entries.size(), size_t{2});
    QCOMPARE(entries[0].caption, std::string("关于"));
    QCOMPARE(entries[1].caption, std::string("播放器-设置"));
    QCOMPARE(entries[1].children.size(), size_t{1});
    QCOMPARE(entries[1].children[0].caption, std::string("自动播放"));
    QCOMPARE(entries[1].children[0].commandId, 1999);
    QVERIFY(entries[1].children[0].checked);

    // Choosing the item sends the system command to the window; the check mark
    // changes only when the program says so.
    QVERIFY(sysMenu.Trigger(1999));
    QVERIFY(w.delivered.empty());
    QCoreApplication::sendPostedEvents();
    QCOMPARE(w.delivered, (std::vector<Delivered>{{MenuCommandKind::SysCommand, 1999}}));
    QVERIFY(sysMenu.Entries()[1].children[0].checked);
    QVERIFY(sysMenu.SetItemState(1999, 0, false));
    QVERIFY(!sysMenu.Entries()[1].children[0].checked);

    // The same through the real menu: a click in the submenu.
    QMenu* submenu = sysMenu.GetHandle()->actions()[1]->menu<QMenu*>();
    QAction* item = submenu->actions()[0];
    item->trigger();
    QCoreApplication::sendPostedEvents();
    QCOMPARE(w.delivered.size(), size_t{2});
    QVERIFY(!item->isChecked());

    // Letting go of the system menu never destroys it.
    QPointer<QMenu> system = sysMenu.GetHandle();
    sysMenu.Destroy();
    QVERIFY(!system.isNull());
    QVERIFY(sysMenu.AttachSystemMenu(&w.window));
  }

  void trackAtDeliversTheChoiceAfterTheMenuCloses() {
    Window w;
    PopupMenu top;
    BuildResultMenu(top);

    // Chosen with the keyboard: into the second submenu, first item.
    bool deliveredWhileOpen = false;
    WhenPopupOpen([&](QMenu* popup) {
      QTest::keyClick(popup, Qt::Key_Down);
      QTest::keyClick(popup, Qt::Key_Down);
      QTest::keyClick(popup, Qt::Key_Right);
      WhenPopupOpen([&, popup](QMenu* inner) {
        QVERIFY(inner != popup);
        QCOMPARE(inner->actions().size(), qsizetype{2});
        deliveredWhileOpen = !w.delivered.empty();
        QTest::keyClick(inner, Qt::Key_Return);
      });
    });
    QCOMPARE(top.TrackAt(10, 10, &w.window, 0), 1);
    QVERIFY(!deliveredWhileOpen);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(w.delivered, (std::vector<Delivered>{{MenuCommandKind::Command, 2207}}));

    // Chosen programmatically while shown.
    WhenPopupOpen([&](QMenu*) { QVERIFY(top.Trigger(2202)); });
    QCOMPARE(top.TrackAt(10, 10, &w.window, 0), 1);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(w.delivered.back(), (Delivered{MenuCommandKind::Command, 2202}));

    // Closed without a choice: nothing is sent.
    WhenPopupOpen([](QMenu* popup) { QTest::keyClick(popup, Qt::Key_Escape); });
    QCOMPARE(top.TrackAt(10, 10, &w.window, 0), 1);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(w.delivered.size(), size_t{2});

    // Asked to return the id instead of sending it.
    WhenPopupOpen([&](QMenu*) { QVERIFY(top.Trigger(2203)); });
    QCOMPARE(top.TrackAt(10, 10, &w.window, kTrackReturnCommand), 2203);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(w.delivered.size(), size_t{2});

    // Outside TrackAt a popup has nowhere to send its items.
    QVERIFY(top.Trigger(2203));
    QCoreApplication::sendPostedEvents();
    QCOMPARE(w.delivered.size(), size_t{2});
    top.Destroy();

    PopupMenu empty;
    QCOMPARE(empty.TrackAt(0, 0, &w.window, 0), 0);
  }
};

QTEST_MAIN(PopupMenuTest)
#include "popup_menu_test.moc"
