// A normal start prints nothing on the terminal. The real program, with the
// reference server, from its start to the main window with the recommended
// list playing and on to its end by the window's close button, in the
// environment a user has: no QT_LOGGING_RULES, no Chromium flags, no
// developers' log (only the test run's offscreen platform, whose own warnings
// make the check stricter). With the engine installed from the desktop pack,
// with it installed already, and with the legacy player, also as root
// without the browser's sandbox switched off, where the engine is not started.
// What the terminal no longer shows is in the developers' log when it is
// asked for.
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app_test_support.h"
#include "automation_remote.h"
#include "server_run.h"
#include "release_signing.h"

namespace larkbay {
namespace {

constexpr int kPlayMs = 30000;

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The player bar's elapsed time ("m:ss") in seconds; -1 when there is none.
int Seconds(const QString& clock) {
  static const QRegularExpression time(QStringLiteral("^(\\d+):(\\d\\d)"));
  const QRegularExpressionMatch match = time.match(clock);
  return match.hasMatch() ? match.captured(1).toInt() * 60 + match.captured(2).toInt() : -1;
}

}  // namespace

class TerminalOutputTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir downloads_;
  std::unique_ptr<testing::ServerRun> server_;
  // The data folder and desktop of the engine's starts, kept from one to the next.
  std::unique_ptr<QTemporaryDir> engineHome_;

  // The program in a user's environment, with its data folder and desktop
  // under `home`, `extra` added and `removed` taken out.
  QProcessEnvironment UserEnvironment(const QString& home, const QString& socket,
                                      const QProcessEnvironment& extra,
                                      const QStringList& removed) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // What the test run sets for other tests or a developer may have set.
    for (const char* name :
         {"QT_LOGGING_RULES", "QT_MESSAGE_PATTERN", "QTWEBENGINE_CHROMIUM_FLAGS",
          "QTWEBENGINE_DISABLE_SANDBOX", "LARKBAY_LOG", "LARKBAY_STARTUP_TIMING"})
      env.remove(QLatin1String(name));
    // A user who runs the program as root switches the browser's sandbox off
    // (the test runs as root): without it the legacy player serves.
    if (::geteuid() == 0)
      env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    env.insert(QStringLiteral("APPDATA"), home);
    env.insert(QStringLiteral("XDG_DESKTOP_DIR"), home + QStringLiteral("/Desktop"));
    env.insert(QStringLiteral("LARKBAY_API_BASE"), server_->Base());
    env.insert(QStringLiteral("LARKBAY_AUTOMATION"), socket);
    for (const QString& name : extra.keys()) env.insert(name, extra.value(name));
    for (const QString& name : removed) env.remove(name);
    return env;
  }

  // Starts the program, waits for its main window with `engine` as player
  // and the recommended list playing, closes the window and returns all the
  // program printed, stdout and stderr. Fails the test on the way when any of
  // that does not happen.
  void RunToPlayingAndEnd(const QString& home, const QString& engine, QByteArray& printed,
                          const QProcessEnvironment& extra = {}, const QStringList& removed = {}) {
    const QString socket = home + QStringLiteral("/automation.sock");
    const qsizetype served = server_->Output().size();  // the server's lines before this run
    QProcess program;
    // stdout and stderr, in the order printed.
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.setProcessEnvironment(UserEnvironment(home, socket, extra, removed));
    program.start(qEnvironmentVariable("LARKBAY_APP_BINARY"), {});
    QVERIFY(program.waitForStarted());
    struct Cleanup {
      QProcess& process;
      ~Cleanup() {
        if (process.state() != QProcess::NotRunning) testing::EndFamily(process.processId());
        process.waitForFinished(5000);
      }
    } cleanup{program};
    testing::Remote app(socket);
    QVERIFY2(app.WaitFor([&] { return app.Ask("ping") == QLatin1String("main"); }),
             program.peek(4000).constData());
    QCOMPARE(app.Ask("value", QStringLiteral("PlayerEngine")), engine);

    if (engine == QLatin1String("cef")) {
      // The recommended list plays: the bar's time moves on.
      const QString script = QString::fromUtf8(testing::kPlayerElapsedScript);
      QString before;
      QVERIFY2(app.WaitFor(
                   [&] {
                     before = app.Ask("eval", script);
                     return Seconds(before) > 0;
                   },
                   kPlayMs),
               qPrintable(before + QStringLiteral(" — ") +
                          app.Ask("eval", QString::fromUtf8(testing::kPlayerBarStateScript))));
      QVERIFY2(
          app.WaitFor([&] { return Seconds(app.Ask("eval", script)) > Seconds(before); }, kPlayMs),
          qPrintable(before));
    } else {
      // The legacy view's player fetches the list's song and plays it for a
      // while (its position is out of the automation's reach).
      static const QRegularExpression fetched(QStringLiteral("GET /media/audio/\\S+ 20[06] "));
      QVERIFY2(
          app.WaitFor(
              [&] {
                return fetched.match(QString::fromUtf8(server_->Output().mid(served))).hasMatch();
              },
              kPlayMs),
          server_->Output().mid(served).right(2000).constData());
      QTest::qWait(5000);
    }

    // As the user ends it.
    QCOMPARE(app.Ask("close"), QString());
    QVERIFY(program.waitForFinished(30000 * testing::TestTimeFactor()));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    printed = program.readAll();
  }

  // Nothing printed: no kind of line is allowed, as every kind seen on a
  // normal start so far could be moved off the terminal. Otherwise each
  // distinct line is shown with its count (Chromium's without their process,
  // thread and time).
  static void ExpectSilence(const QByteArray& printed) {
    static const QRegularExpression chromiumPrefix(QStringLiteral("^\\[\\d+:\\d+:[\\d/.]+:"));
    QStringList kinds;
    QList<int> counts;
    for (const QString& line : QString::fromUtf8(printed).split(u'\n', Qt::SkipEmptyParts)) {
      const QString kind = QString(line).replace(chromiumPrefix, QStringLiteral("["));
      const qsizetype at = kinds.indexOf(kind);
      if (at < 0) {
        kinds << kind;
        counts << 1;
      } else {
        ++counts[at];
      }
    }
    for (qsizetype i = 0; i < kinds.size(); ++i)
      qInfo("printed %dx: %s", counts[i], qPrintable(kinds[i]));
    QVERIFY2(printed.isEmpty(), qPrintable(QStringLiteral("%1 lines on the terminal")
                                               .arg(QString::fromUtf8(printed).count(u'\n'))));
  }

 private slots:
  void initTestCase() {
    const QString pack = QStringLiteral(LARKBAY_ENGINE_PACK_DIR);
    for (const char* file : {"Enginepack", "cef.pak.md5"})
      QVERIFY(
          QFile::copy(pack + u'/' + QLatin1String(file), downloads_.filePath(QLatin1String(file))));
    QVERIFY(test::SignFolder(downloads_.path().toStdString()));
    server_ = std::make_unique<testing::ServerRun>();
    QVERIFY2(server_->Start({QStringLiteral("--downloads"), downloads_.path(),
                             QStringLiteral("--media"), QStringLiteral(LARKBAY_TEST_MEDIA)}),
             server_->Output().constData());
  }

  void firstStartInstallingTheEngineIsSilent() {
    engineHome_ = std::make_unique<QTemporaryDir>();
    const QString home = engineHome_->path();
    QVERIFY(QDir().mkpath(home + QStringLiteral("/Desktop")));
    QVERIFY(QFile::copy(QStringLiteral(LARKBAY_ENGINE_PACK_DIR "/Enginepack"),
                        home + QStringLiteral("/Desktop/Enginepack")));
    QVERIFY(test::SignBeside((home + QStringLiteral("/Desktop/Enginepack")).toStdString()));
    QByteArray printed;
    RunToPlayingAndEnd(home, QStringLiteral("cef"), printed);
    if (QTest::currentTestFailed()) return;
    QVERIFY(!QFileInfo::exists(home + QStringLiteral("/Desktop/Enginepack")));
    ExpectSilence(printed);
  }

  void startWithTheEngineInstalledIsSilent() {
    if (!engineHome_ ||
        !QFileInfo::exists(engineHome_->path() + QStringLiteral("/Lark-Bay/Engine")))
      QSKIP("the engine was not installed by the first start");
    QByteArray printed;
    RunToPlayingAndEnd(engineHome_->path(), QStringLiteral("cef"), printed);
    if (QTest::currentTestFailed()) return;
    ExpectSilence(printed);
  }

  void startWithTheLegacyPlayerIsSilent() {
    // A user whose engine downloads kept bringing a damaged pack: the program
    // has stopped asking for it and plays in the legacy view.
    QTemporaryDir home;
    QVERIFY(QDir().mkpath(home.filePath(QStringLiteral("Desktop"))));
    QVERIFY(QDir().mkpath(home.filePath(QStringLiteral("Lark-Bay"))));
    const QByteArray packMd5 =
        QCryptographicHash::hash(ReadAll(downloads_.filePath(QStringLiteral("Enginepack"))),
                                 QCryptographicHash::Md5)
            .toHex();
    QFile ini(home.filePath(QStringLiteral("Lark-Bay/Config.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Lark-Bay]\r\nHandedOverEngine=" + packMd5 + "\r\nHandedOverEngineBadPacks=3\r\n");
    ini.close();
    QByteArray printed;
    RunToPlayingAndEnd(home.path(), QStringLiteral("ie"), printed);
    if (QTest::currentTestFailed()) return;
    ExpectSilence(printed);
  }

  void developersLogKeepsWhatTheTerminalDoesNot() {
    if (!engineHome_ ||
        !QFileInfo::exists(engineHome_->path() + QStringLiteral("/Lark-Bay/Engine")))
      QSKIP("the engine was not installed by the first start");
    QProcessEnvironment developer;
    developer.insert(QStringLiteral("LARKBAY_LOG"), QStringLiteral("1"));
    QByteArray printed;
    RunToPlayingAndEnd(engineHome_->path(), QStringLiteral("cef"), printed, developer);
    if (QTest::currentTestFailed()) return;
    ExpectSilence(printed);
    const QString log =
        QString::fromUtf8(ReadAll(engineHome_->path() + QStringLiteral("/Lark-Bay/lark-bay.log")));
    // The engine's settings, which Qt WebEngine reports on every start.
    QVERIFY2(log.contains(QStringLiteral("qt.webenginecontext (info)")),
             qPrintable(log.left(4000)));
    QVERIFY(log.contains(QStringLiteral("larkbay.startup: log opened")));
  }

  // Root without the sandbox switched off (or with anything but "1"): the
  // engine installed is never started, the legacy player plays, the terminal
  // stays quiet and the developers' log says why.
  void asRootWithoutTheSandboxSwitchTheLegacyPlayerPlays_data() {
    QTest::addColumn<QString>("value");  // "-" for none
    QTest::newRow("unset") << QStringLiteral("-");
    QTest::newRow("true") << QStringLiteral("true");
  }

  void asRootWithoutTheSandboxSwitchTheLegacyPlayerPlays() {
    QFETCH(QString, value);
    if (::geteuid() != 0) QSKIP("only root needs the sandbox switched off");
    if (!engineHome_ ||
        !QFileInfo::exists(engineHome_->path() + QStringLiteral("/Lark-Bay/Engine")))
      QSKIP("the engine was not installed by the first start");
    const QString logFile = engineHome_->path() + QStringLiteral("/Lark-Bay/lark-bay.log");
    QFile::remove(logFile);
    const QString sandboxSwitch = QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX");
    QProcessEnvironment extra;
    extra.insert(QStringLiteral("LARKBAY_LOG"), QStringLiteral("1"));
    QStringList removed;
    if (value == u'-')
      removed << sandboxSwitch;
    else
      extra.insert(sandboxSwitch, value);
    QByteArray printed;
    RunToPlayingAndEnd(engineHome_->path(), QStringLiteral("ie"), printed, extra, removed);
    if (QTest::currentTestFailed()) return;
    ExpectSilence(printed);
    const QString log = QString::fromUtf8(ReadAll(logFile));
    QVERIFY2(log.contains(QStringLiteral(
                 "larkbay.startup: running as root: the browser's sandbox cannot start and is off "
                 "only when QTWEBENGINE_DISABLE_SANDBOX=1 is set; playing with the legacy player")),
             qPrintable(log.left(4000)));
    // Qt WebEngine reports its settings on every start: it never started.
    QVERIFY2(!log.contains(QStringLiteral("qt.webenginecontext")), qPrintable(log.left(4000)));
    // The engine stays installed for a start with the switch.
    QVERIFY(QFileInfo::exists(engineHome_->path() + QStringLiteral("/Lark-Bay/Engine/cef.pak")));
  }

  void cleanupTestCase() { server_.reset(); }
};

}  // namespace larkbay

QTEST_MAIN(larkbay::TerminalOutputTest)
#include "terminal_output_test.moc"
