// The program with the embedded browser for real: a first start finds the
// engine pack on the desktop, installs it ("cef"), starts the engine from the
// fresh Engine/ folder with the program's settings and switches, and the
// recommended list plays in the browser strip by itself. Later pages follow
// the auto-play setting; the same page twice is handed over once.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/program.h"
#include "app_test_support.h"
#include "platform/control_names.h"
#include "player/show_player_page.h"
#include "server_run.h"

using namespace larkbay;

namespace {

// Loading and starting to play from a loopback server takes a second or two;
// the rest is slack for a loaded machine.
constexpr int kTimeoutMs = 30000;

int Count(const std::vector<int>& events, int event) {
  return static_cast<int>(std::count(events.begin(), events.end(), event));
}

}  // namespace

class EnginePlayerTest : public QObject {
  Q_OBJECT

 private:
  // The value of `script` in the page, as text; "(none)" when none came.
  static QString Evaluate(EnginePageHost& host, const char* script) {
    auto result = std::make_shared<std::optional<QString>>();
    if (!host.EvaluateScript(script, [result](std::string value) {
          *result = QString::fromStdString(value);
        }))
      return QStringLiteral("(none)");
    if (!QTest::qWaitFor([&] { return result->has_value(); }, 5000)) return QStringLiteral("(none)");
    return result->value_or(QStringLiteral("(none)"));
  }
  // The bar's classes and the cause of its last failure, to say why it does not play.
  static QString PlayerState(EnginePageHost& host) {
    return Evaluate(host, testing::kPlayerBarStateScript);
  }
  // The player bar's elapsed time, "m:ss".
  static QString Elapsed(EnginePageHost& host) {
    return Evaluate(host, testing::kPlayerElapsedScript);
  }

 private slots:
  void firstStartInstallsFromTheDesktopPackAndPlays() {
    testing::TempAppData appData;
    QTemporaryDir downloads;
    const QString pack = QStringLiteral(LARKBAY_ENGINE_PACK_DIR);
    for (const char* file : {"Enginepack", "cef.pak.md5"})
      QVERIFY(QFile::copy(pack + u'/' + QLatin1String(file), downloads.filePath(QLatin1String(file))));
    const QString desktopPack = appData.Desktop() + QStringLiteral("/Enginepack");
    QVERIFY(QFile::copy(pack + QStringLiteral("/Enginepack"), desktopPack));
    testing::ServerRun server;
    QVERIFY2(server.Start({QStringLiteral("--downloads"), downloads.path(), QStringLiteral("--media"),
                           QStringLiteral(LARKBAY_TEST_MEDIA)}),
             server.Output().constData());

    ProgramOptions options;
    options.apiBase = server.Base().toStdString();
    bool ended = false;
    options.endProcess = [&ended] { ended = true; };
    bool shown = false;
    options.mainWindowShown = [&shown] { shown = true; };
    auto program = std::make_unique<Program>(std::move(options));
    std::vector<int> events;
    program->Engine().onEvent = [&events](int event) { events.push_back(event); };
    program->Start();
    QTRY_VERIFY_WITH_TIMEOUT(shown, kTimeoutMs);
    QVERIFY(!ended);

    // Installed from the pack, which is gone; the engine runs from Engine/.
    AppProgramState& state = program->State();
    QCOMPARE(QString::fromStdString(state.appState.PlayerEngine), QStringLiteral("cef"));
    QVERIFY(!QFileInfo::exists(desktopPack));
    const QString data = appData.Path() + QStringLiteral("/Lark-Bay/");
    QVERIFY(QFileInfo::exists(data + QStringLiteral("Engine/libaquarius.so")));
    EnginePageHost& engine = program->Engine();
    QVERIFY2(engine.Running(), engine.Failure().c_str());
    QVERIFY(engine.BrowserHandle() != 0);
    QVERIFY(events.size() >= 4);
    QCOMPARE(std::vector<int>(events.begin(), events.begin() + 4), (std::vector<int>{0, 1, 2, 9}));

    // The settings and switches reached the engine.
    QTRY_VERIFY_WITH_TIMEOUT(!QDir(data + QStringLiteral("Userdata")).isEmpty(), kTimeoutMs);
    const QString flags = qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS");
    for (const char* flag : {"--ppapi-flash-version=", "--ppapi-flash-path=",
                             "--autoplay-policy=no-user-gesture-required"})
      QVERIFY2(flags.contains(QLatin1String(flag)), qPrintable(flags));
    QCOMPARE(Evaluate(engine, "navigator.language"), QStringLiteral("zh-CN"));

    // The strip shows the browser, not the legacy view.
    QtControls& controls = program->Controls();
    QVERIFY(controls.IsVisible(names::kBrowserControl));
    QVERIFY(!controls.IsVisible(names::kPlayerView));
    QCOMPARE(controls.GetRect(names::kTabControl).top, 29);

    // The recommended list loaded and plays by itself (auto-play is on by
    // default): the bar's time moves on.
    QTRY_VERIFY_WITH_TIMEOUT(Count(events, AQUA_EVENT_LOAD_END) >= 1, kTimeoutMs);
    QVERIFY(state.appState.AutoPlay);
    QVERIFY(Evaluate(engine, "document.querySelectorAll('.sm2-playlist-bd li').length").toInt() > 0);
    QTRY_VERIFY2_WITH_TIMEOUT(Elapsed(engine) != QStringLiteral("0:00") &&
                                  Elapsed(engine) != QStringLiteral("(none)"),
                              qPrintable(PlayerState(engine)), kTimeoutMs);
    const QString before = Elapsed(engine);
    QTRY_VERIFY_WITH_TIMEOUT(Elapsed(engine) > before, kTimeoutMs);

    // The same page again is not handed over.
    const int loads = Count(events, AQUA_EVENT_LOAD_END);
    ShowPlayerPage(state, &engine, state.RecommendHtml);
    QTest::qWait(1000);
    QCOMPARE(Count(events, AQUA_EVENT_LOAD_END), loads);

    // With auto-play off a new page loads and waits for the user.
    state.appState.AutoPlay = false;
    ShowPlayerPage(state, &engine, state.RecommendHtml + "\n<!-- another page -->");
    QTRY_VERIFY_WITH_TIMEOUT(Count(events, AQUA_EVENT_LOAD_END) == loads + 1, kTimeoutMs);
    QTest::qWait(3000);
    QCOMPARE(Elapsed(engine), QStringLiteral("0:00"));

    // Closing the main window shuts the engine down.
    QVERIFY(controls.DestroyWindow(names::kMainWindow));
    QVERIFY(!engine.Running());
    program.reset();
  }
};

int main(int argc, char** argv) {
  // As the program's own entry does: the engine shares OpenGL contexts.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  EnginePlayerTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "engine_player_test.moc"
