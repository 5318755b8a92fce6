// A new user's first run, as the README gives it: `scripts/demo` under a
// virtual display, from an empty home (no desktop folder, no data folder).
// The first copy of the program finds no engine, hands the pack's download to
// the updater, which ends it and starts it again; the demo's server has to
// outlive that first copy. The test drives whichever copy runs through its
// automation socket and checks that the run ends with the engine installed,
// the recommended list playing and the server answering a search; that
// closing the program ends the demo and its server; and that nothing was
// written into the user's home.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <csignal>

#include "app_test_support.h"
#include "automation_remote.h"

namespace larkbay {
namespace {

using testing::Remote;

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every process that carries `marker` in its environment: the demo, its
// server, each copy of the program, the updater, the engine's helpers.
void EndEverythingMarked(const QByteArray& marker) {
  for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
    bool number = false;
    const qint64 pid = entry.toLongLong(&number);
    if (!number || pid == QCoreApplication::applicationPid()) continue;
    if (ReadAll(QStringLiteral("/proc/%1/environ").arg(pid)).split('\0').contains(marker))
      ::kill(static_cast<pid_t>(pid), SIGKILL);
  }
}

bool Answers(const QUrl& base) {
  QTcpSocket socket;
  socket.connectToHost(base.host(), static_cast<quint16>(base.port()));
  return socket.waitForConnected(2000);
}

}  // namespace

class FirstRunTest : public QObject {
  Q_OBJECT

 private slots:
  void demoEndsInAPlayingClientAndStopsWithIt() {
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString home = root.filePath(QStringLiteral("home"));
    const QString demoHome = root.filePath(QStringLiteral("demo"));
    const QString socket = root.filePath(QStringLiteral("app.sock"));
    QVERIFY(QDir().mkpath(home));

    // What a user's shell has: no test settings, no display of our own.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "APPDATA", "XDG_DESKTOP_DIR", "XDG_DATA_HOME",
                             "XDG_CONFIG_HOME", "LARKBAY_API_BASE", "QTWEBENGINE_DISABLE_SANDBOX",
                             "QT_LOGGING_RULES", "DISPLAY", "WAYLAND_DISPLAY"})
      env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("LARKBAY_BUILD_DIR"), QStringLiteral(LARKBAY_BUILD_DIR));
    env.insert(QStringLiteral("LARKBAY_DEMO_HOME"), demoHome);
    env.insert(QStringLiteral("LARKBAY_DEMO_PORT"), QStringLiteral("0"));
    env.insert(QStringLiteral("LARKBAY_AUTOMATION"), socket);
    env.insert(QStringLiteral("LARKBAY_LOG"), QStringLiteral("1"));
    // The program keeps LARKBAY_AUTOMATION from its children: a mark of the
    // test's own, which every process of the run inherits, finds them all.
    env.insert(QStringLiteral("LARKBAY_FIRST_RUN_TEST"), socket);
    const QByteArray marker = "LARKBAY_FIRST_RUN_TEST=" + socket.toUtf8();
    struct Cleanup {
      QByteArray marker;
      ~Cleanup() { EndEverythingMarked(marker); }
    } cleanup{marker};

    const QString shots = QDir::currentPath() + QStringLiteral("/first-run");
    QDir(shots).removeRecursively();
    QVERIFY(QDir().mkpath(shots));
    QProcess demo;
    demo.setProcessEnvironment(env);
    demo.setWorkingDirectory(QStringLiteral(LARKBAY_SOURCE_DIR));
    demo.setProcessChannelMode(QProcess::MergedChannels);
    demo.setStandardOutputFile(shots + QStringLiteral("/demo-output.txt"));
    demo.start(QStringLiteral("xvfb-run"),
               {QStringLiteral("-a"), QStringLiteral(LARKBAY_SOURCE_DIR "/scripts/demo")});
    QVERIFY(demo.waitForStarted());
    const auto output = [&] { return QString::fromUtf8(ReadAll(shots + QStringLiteral("/demo-output.txt"))); };

    Remote app(socket);
    // The demo's preparation, the first copy's ten-second notice, the
    // updater's round and the second copy's installation.
    const int startMs = 6 * 60 * 1000;
    QVERIFY2(app.WaitFor([&] {
      if (demo.state() == QProcess::NotRunning) return true;
      return app.Ask("ping") == QLatin1String("main") &&
             app.Ask("value", QStringLiteral("PlayerEngine")) == QLatin1String("cef");
    }, startMs) && demo.state() == QProcess::Running, qPrintable(output()));
    const QString data = demoHome + QStringLiteral("/data/Lark-Bay/");
    QVERIFY(QFileInfo(data + QStringLiteral("Engine/cef.pak")).isFile());
    QVERIFY(!QFileInfo::exists(demoHome + QStringLiteral("/Desktop/Enginepack")));

    // The recommended list plays: the bar's time moves on.
    const QString elapsed = QString::fromUtf8(testing::kPlayerElapsedScript);
    QString before;
    QVERIFY2(app.WaitFor([&] {
      before = app.Ask("eval", elapsed);
      return !before.startsWith(QLatin1String("error")) && before != QLatin1String("0:00");
    }, 30000), qPrintable(before + QStringLiteral(" — ") +
                          app.Ask("eval", QString::fromUtf8(testing::kPlayerBarStateScript))));
    QVERIFY(app.WaitFor([&] { return app.Ask("eval", elapsed) > before; }, 30000));

    // The server still answers: a song search fills the list.
    QCOMPARE(app.Ask("tab", QStringLiteral("1")), QString());
    QCOMPARE(app.Ask("settext", QStringLiteral("Song_编辑框_搜索文本"), QStringLiteral("雨")), QString());
    QCOMPARE(app.Ask("click", QStringLiteral("Song_按钮_查找")), QString());
    QVERIFY(app.WaitFor([&] {
      return app.Ask("text", QStringLiteral("Song_透明标签_页数信息栏")).contains(QStringLiteral("页数[1]"));
    }, 30000));
    QVERIFY(app.Ask("rows", QStringLiteral("Song_超级列表框_搜索结果")).toInt() > 0);
    QCOMPARE(app.Ask("grab", shots + QStringLiteral("/playing-and-searching.png")), QString());

    // Closing the program ends the demo, and its server with it.
    static const QRegularExpression against(QStringLiteral("against (http://\\S+)"));
    const QUrl base(against.match(output()).captured(1));
    QVERIFY2(base.isValid() && base.port() > 0, qPrintable(output()));
    QVERIFY(Answers(base));
    QCOMPARE(app.Ask("close"), QString());
    app.Disconnect();
    QVERIFY2(demo.waitForFinished(60000 * testing::TestTimeFactor()), qPrintable(output()));
    QCOMPARE(demo.exitStatus(), QProcess::NormalExit);
    QCOMPARE(demo.exitCode(), 0);
    QVERIFY(!Answers(base));

    // The demo kept to its own folders: the user's home has no desktop and no
    // data folder of the program's.
    QVERIFY(!QFileInfo::exists(home + QStringLiteral("/Desktop")));
    QVERIFY(!QFileInfo::exists(home + QStringLiteral("/.local/share/Lark-Bay")));
  }
};

}  // namespace larkbay

QTEST_GUILESS_MAIN(larkbay::FirstRunTest)
#include "first_run_test.moc"
