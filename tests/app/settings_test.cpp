// The player settings menu: the "播放器-设置" submenu with "自动播放" in the
// main window's system menu, its check mark from Config.ini, and the toggle
// through the main window's command dispatcher.
#include <QMenu>
#include <QTest>
#include <optional>

#include "app/commands/main_window_commands.h"
#include "app/settings/settings_menu.h"
#include "app/state/app_state.h"
#include "app/windows/main_window.h"
#include "app_test_support.h"

using namespace larkbay;

namespace {

std::optional<MenuEntry> AutoPlayItem(const std::vector<MenuEntry>& entries) {
  for (const MenuEntry& entry : entries) {
    if (entry.caption == "播放器-设置" && entry.children.size() == 1 &&
        entry.children[0].caption == "自动播放" && entry.children[0].commandId == 1999) {
      return entry.children[0];
    }
  }
  return std::nullopt;
}

}  // namespace

class SettingsTest : public QObject {
  Q_OBJECT

 private slots:
  void startState_data() {
    QTest::addColumn<QByteArray>("ini");  // empty: no Config.ini
    QTest::addColumn<bool>("on");
    QTest::newRow("first start") << QByteArray() << true;
    QTest::newRow("key missing") << QByteArray("[Lark-Bay]\nProgram=1\n") << true;
    QTest::newRow("true") << QByteArray("[Lark-Bay]\nAutoPlay=true\n") << true;
    QTest::newRow("capital TRUE") << QByteArray("[lark-bay]\nAutoPlay=TRUE\n") << true;
    QTest::newRow("flase") << QByteArray("[Lark-Bay]\nAutoPlay=flase\n") << false;
    QTest::newRow("anything else") << QByteArray("[Lark-Bay]\nAutoPlay=1\n") << false;
  }

  void startState() {
    QFETCH(QByteArray, ini);
    QFETCH(bool, on);
    testing::TempAppData appData;
    if (!ini.isEmpty()) appData.WriteConfigIni(ini);
    AppProgramState state;
    MainWindow window;
    SettingsMenu(state, &window);
    const std::optional<MenuEntry> item = AutoPlayItem(state.SysMenu.Entries());
    QVERIFY(item);
    QCOMPARE(item->checked, on);
    QCOMPARE(state.appState.AutoPlay, on);
    // The submenu sits in the menu the user opens from the menu bar.
    auto* menu = window.findChild<QMenu*>(QStringLiteral("SystemMenu"));
    QCOMPARE(menu->actions().size(), 1);
    QCOMPARE(menu->actions()[0]->text(), QStringLiteral("播放器-设置"));
    // Reading never writes.
    QCOMPARE(appData.ReadConfigIni().toUtf8(), ini);
  }

  // Choosing "自动播放" goes through the dispatcher, flips the check mark and
  // the stored value, and the message still reaches the window's own handling.
  void toggleThroughDispatcher() {
    testing::TempAppData appData;
    appData.WriteConfigIni("[Lark-Bay]\r\nAutoPlay=TRUE\r\n");
    AppProgramState state;
    MainWindow window;
    std::vector<std::pair<unsigned, std::uintptr_t>> passedOn;
    window.SetWindowProc([&passedOn](unsigned message, std::uintptr_t wParam) {
      passedOn.emplace_back(message, wParam);
    });
    SettingsMenu(state, &window);
    InstallCommandDispatcher(window, state, MainWindowCommands(state));

    const struct {
      bool checked;
      const char* stored;
    } expected[] = {{false, "AutoPlay=flase"}, {true, "AutoPlay=true"}, {false, "AutoPlay=flase"}};
    std::size_t round = 0;
    for (const auto& after : expected) {
      QVERIFY(state.SysMenu.Trigger(1999));
      ++round;
      QTRY_COMPARE(passedOn.size(), round);
      QCOMPARE(passedOn.back(), (std::pair<unsigned, std::uintptr_t>{kWmSysCommand, 1999}));
      QCOMPARE(AutoPlayItem(state.SysMenu.Entries())->checked, after.checked);
      QCOMPARE(state.appState.AutoPlay, after.checked);
      const QString ini = appData.ReadConfigIni();
      QVERIFY2(ini.contains(QString::fromLatin1(after.stored)), qPrintable(ini));
      QCOMPARE(ini.count(QStringLiteral("AutoPlay")), 1);
    }
  }

  // Other messages pass through untouched.
  void otherCommandsPassThrough() {
    AppProgramState state;
    bool ran = false;
    CommandTable table{{kWmCommand, 2003, [&ran] { ran = true; }}};
    std::vector<std::uintptr_t> passedOn;
    WindowProc previous = [&passedOn](unsigned, std::uintptr_t wParam) { passedOn.push_back(wParam); };
    MainWindowCommandProc(table, previous, kWmSysCommand, 2003);  // other message kind
    MainWindowCommandProc(table, previous, kWmCommand, 2004);
    QVERIFY(!ran);
    MainWindowCommandProc(table, previous, kWmCommand, 2003);
    QVERIFY(ran);
    QCOMPARE(passedOn, (std::vector<std::uintptr_t>{2003, 2004, 2003}));
  }

  // Without a system menu the submenu is missing and AutoPlay stays off.
  void noSystemMenu() {
    testing::TempAppData appData;
    AppProgramState state;
    QWidget bare;
    SettingsMenu(state, &bare);
    QVERIFY(state.SysMenu.Entries().empty());
    QVERIFY(!state.appState.AutoPlay);
  }
};

QTEST_MAIN(SettingsTest)
#include "settings_test.moc"
