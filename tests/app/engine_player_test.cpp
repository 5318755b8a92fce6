// The program with the embedded browser for real: a first start finds the
// engine pack on the desktop, installs it ("cef"), starts the engine from the
// fresh Engine/ folder with the program's settings and switches, and the
// recommended list plays in the browser strip by itself. Every part of the
// bar lies in the part of the strip the window shows, and answers real
// clicks there. Later pages follow the auto-play setting; the same page twice
// is handed over once.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QPoint>
#include <QRectF>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/program.h"
#include "app_test_support.h"
#include "platform/control_names.h"
#include "player/show_player_page.h"
#include "server_run.h"
#include "release_signing.h"

using namespace larkbay;

namespace {

// Loading and starting to play from a loopback server takes a second or two;
// the rest is slack for a loaded machine.
constexpr int kTimeoutMs = 30000;

int Count(const std::vector<int>& events, int event) {
  return static_cast<int>(std::count(events.begin(), events.end(), event));
}

// The bar's parts with the page's CSS selector of each.
struct BarPartSelector {
  const char* name;
  const char* selector;
};
constexpr BarPartSelector kBarParts[] = {
    {"previous", ".sm2-icon-previous"}, {"play/pause", ".sm2-icon-play-pause"},
    {"next", ".sm2-icon-next"},         {"title", ".sm2-playlist"},
    {"elapsed", ".sm2-inline-time"},    {"track", ".sm2-progress-track"},
    {"total", ".sm2-inline-duration"},  {"volume", "a.sm2-volume-control"},
};

// "left top width height hit" of the element `selector` in page pixels, hit 1
// when the element (or a child of it) is what the page has at its centre;
// "missing" when the page has no such element.
QString PartScript(const char* selector) {
  return QStringLiteral(
             "(function () { var e = document.querySelector('%1'); if (!e) return 'missing';"
             " var r = e.getBoundingClientRect();"
             " var hit = document.elementFromPoint(r.left + r.width / 2, r.top + r.height / 2);"
             " return [r.left, r.top, r.width, r.height, hit && e.contains(hit) ? 1 : 0].join(' ');"
             " })()")
      .arg(QLatin1String(selector));
}

// Which entry of the play list is selected, and how many there are: "i/n".
constexpr char kSelectedEntryScript[] =
    "(function () { var items = document.querySelectorAll('.sm2-playlist-wrapper li');"
    " var at = Array.prototype.indexOf.call(items,"
    " document.querySelector('.sm2-playlist-wrapper li.selected'));"
    " return at + '/' + items.length; })()";

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
  // Whether the bar carries the class `cls` ("playing", "muted").
  static bool BarHas(EnginePageHost& host, const char* cls) {
    return Evaluate(host,
                    qPrintable(QStringLiteral(
                                   "document.querySelector('.sm2-bar-ui').classList.contains('%1')")
                                   .arg(QLatin1String(cls)))) == QStringLiteral("true");
  }

  // Every part of the bar lies in the part of the browser control that the
  // window shows (inside the window, off the tab control), on one row where
  // the times frame the track, and is the widget and element at its centre.
  // Answers the centre of each part in the window's client coordinates.
  static QMap<QString, QPoint> ExpectBarFits(EnginePageHost& host, QtControls& controls) {
    QMap<QString, QPoint> centres;
    QWidget* control = controls.FindWidget(names::kBrowserControl);
    QWidget* tabs = controls.FindWidget(names::kTabControl);
    [&] {
      QVERIFY(control && tabs);
      QWidget* client = control->parentWidget();
      QCOMPARE(tabs->parentWidget(), client);
      // Page pixels are the control's pixels.
      QCOMPARE(Evaluate(host, "innerWidth + 'x' + innerHeight"),
               QStringLiteral("%1x%2").arg(control->width()).arg(control->height()));
      const QRectF shown = QRectF(control->geometry() & client->rect());
      QMap<QString, QRectF> rects;
      for (const BarPartSelector& part : kBarParts) {
        const QString name = QLatin1String(part.name);
        const QStringList box = Evaluate(host, qPrintable(PartScript(part.selector))).split(u' ');
        QVERIFY2(box.size() == 5, qPrintable(name + QStringLiteral(": ") + box.join(u' ')));
        const QRectF rect =
            QRectF(box[0].toDouble(), box[1].toDouble(), box[2].toDouble(), box[3].toDouble())
                .translated(control->pos());
        const QString where = QStringLiteral("%1 at %2,%3 %4x%5 (shown %6,%7 %8x%9)")
                                  .arg(name)
                                  .arg(rect.x())
                                  .arg(rect.y())
                                  .arg(rect.width())
                                  .arg(rect.height())
                                  .arg(shown.x())
                                  .arg(shown.y())
                                  .arg(shown.width())
                                  .arg(shown.height());
        QVERIFY2(rect.width() >= 8 && rect.height() >= 4, qPrintable(where));
        QVERIFY2(shown.contains(rect), qPrintable(where));
        QVERIFY2(!rect.intersects(QRectF(tabs->geometry())), qPrintable(where));
        QVERIFY2(box[4] == QStringLiteral("1"),
                 qPrintable(where + QStringLiteral(": covered in the page")));
        const QPoint centre = rect.center().toPoint();
        QWidget* top = QApplication::widgetAt(client->mapToGlobal(centre));
        QVERIFY2(top && (top == control || control->isAncestorOf(top)),
                 qPrintable(where + QStringLiteral(": covered by ") +
                            (top ? QLatin1String(top->metaObject()->className()) +
                                       QStringLiteral(" ") + top->objectName()
                                 : QStringLiteral("nothing"))));
        rects[name] = rect;
        centres[name] = centre;
      }
      // The times and the track on one row, in that order.
      const QRectF elapsed = rects[QStringLiteral("elapsed")];
      const QRectF track = rects[QStringLiteral("track")];
      const QRectF total = rects[QStringLiteral("total")];
      QVERIFY(std::abs(elapsed.center().y() - track.center().y()) <= 3);
      QVERIFY(std::abs(total.center().y() - track.center().y()) <= 3);
      QVERIFY(elapsed.right() <= track.left());
      QVERIFY(track.right() <= total.left());
      QVERIFY(track.width() >= 100);
    }();
    return centres;
  }

  // A real click of the left button at `centre` (client coordinates of the
  // main window) on whatever widget the window has there.
  static void ClickAt(QtControls& controls, QPoint centre) {
    QWidget* client = controls.FindWidget(names::kBrowserControl)->parentWidget();
    const QPoint global = client->mapToGlobal(centre);
    QWidget* top = QApplication::widgetAt(global);
    QVERIFY(top);
    QTest::mouseMove(top, top->mapFromGlobal(global));
    QTest::mouseClick(top, Qt::LeftButton, {}, top->mapFromGlobal(global));
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
    QVERIFY(test::SignFolder(downloads.path().toStdString()));
    QVERIFY(test::SignBeside(desktopPack.toStdString()));
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

    // The bar fits the strip, and its buttons work under the mouse.
    const QMap<QString, QPoint> parts = ExpectBarFits(engine, controls);
    if (QTest::currentTestFailed()) return;
    ClickAt(controls, parts[QStringLiteral("play/pause")]);
    QTRY_VERIFY2_WITH_TIMEOUT(!BarHas(engine, "playing"), qPrintable(PlayerState(engine)),
                              kTimeoutMs);
    const QString paused = Elapsed(engine);
    QTest::qWait(1500);
    QCOMPARE(Elapsed(engine), paused);
    // While paused the list does not move on by itself.
    const QStringList selected = Evaluate(engine, kSelectedEntryScript).split(u'/');
    QCOMPARE(selected.size(), 2);
    const int at = selected[0].toInt();
    const int entries = selected[1].toInt();
    QVERIFY2(at >= 0 && entries >= 2, qPrintable(selected.join(u'/')));
    const bool last = at + 1 == entries;
    ClickAt(controls, parts[last ? QStringLiteral("previous") : QStringLiteral("next")]);
    const int moved = last ? at - 1 : at + 1;
    QTRY_COMPARE_WITH_TIMEOUT(Evaluate(engine, kSelectedEntryScript),
                              QStringLiteral("%1/%2").arg(moved).arg(entries), kTimeoutMs);
    ClickAt(controls, parts[last ? QStringLiteral("next") : QStringLiteral("previous")]);
    QTRY_COMPARE_WITH_TIMEOUT(Evaluate(engine, kSelectedEntryScript),
                              QStringLiteral("%1/%2").arg(at).arg(entries), kTimeoutMs);
    QVERIFY(!BarHas(engine, "playing"));
    ClickAt(controls, parts[QStringLiteral("volume")]);
    QTRY_VERIFY_WITH_TIMEOUT(BarHas(engine, "muted"), kTimeoutMs);
    ClickAt(controls, parts[QStringLiteral("volume")]);
    QTRY_VERIFY_WITH_TIMEOUT(!BarHas(engine, "muted"), kTimeoutMs);
    ClickAt(controls, parts[QStringLiteral("play/pause")]);
    QTRY_VERIFY2_WITH_TIMEOUT(BarHas(engine, "playing"), qPrintable(PlayerState(engine)),
                              kTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(Elapsed(engine) != QStringLiteral("0:00"), kTimeoutMs);

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
