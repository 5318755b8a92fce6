// The engine's whole installation round for real, as a first-time user meets
// it: no engine and no pack, so the program says so in a box that closes by
// itself, hands the pack's download to the updater and goes on with the
// legacy player; the updater puts the pack on the desktop, ends the program
// and starts it again; that start installs the engine and runs it.
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

#include "app_test_support.h"
#include "server_run.h"
#include "release_signing.h"

namespace larkbay {
namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray Md5Of(const QString& path) {
  return QCryptographicHash::hash(ReadAll(path), QCryptographicHash::Md5).toHex();
}

qint64 RecordedProgram(const testing::TempAppData& appData) {
  static const QRegularExpression program(QStringLiteral("Program=(\\d+)"));
  return program.match(appData.ReadConfigIni()).captured(1).toLongLong();
}

bool Running(qint64 pid) {
  return pid > 0 && QFileInfo::exists(QStringLiteral("/proc/%1/exe").arg(pid));
}

// The browser engine's helper processes started by `parent`.
QList<qint64> EngineHelpers(qint64 parent) {
  QList<qint64> helpers;
  for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
    bool number = false;
    const qint64 pid = entry.toLongLong(&number);
    if (!number) continue;
    const QByteArray stat = ReadAll(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype open = stat.indexOf('('), close = stat.lastIndexOf(')');
    if (open < 0 || close < open) continue;
    const QByteArray name = stat.mid(open + 1, close - open - 1);
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    if (fields.size() > 1 && fields[1].toLongLong() == parent && name.startsWith("QtWebEngine"))
      helpers << pid;
  }
  return helpers;
}

// Ends the copy the updater started, and its helpers, however the test ends:
// it is nobody's child here.
struct KillOnExit {
  const testing::TempAppData& appData;
  qint64 first = 0;
  ~KillOnExit() {
    const qint64 pid = RecordedProgram(appData);
    if (pid == first || !Running(pid)) return;
    const QList<qint64> helpers = EngineHelpers(pid);
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    for (qint64 helper : helpers) ::kill(static_cast<pid_t>(helper), SIGKILL);
  }
};

}  // namespace

class EngineInstallStartTest : public QObject {
  Q_OBJECT

 private slots:
  void missingEngineIsFetchedByTheUpdaterAndInstalledOnTheNextStart() {
    const QString client = qEnvironmentVariable("LARKBAY_APP_BINARY");
    const QString updater = qEnvironmentVariable("LARKBAY_UPDATER_BINARY");
    QVERIFY(!client.isEmpty() && !updater.isEmpty());
    testing::TempAppData appData;
    QTemporaryDir downloads;
    const QString pack = QStringLiteral(LARKBAY_ENGINE_PACK_DIR);
    QVERIFY(QFile::copy(updater, downloads.filePath(QStringLiteral("Update.exe"))));
    for (const char* file : {"Enginepack", "cef.pak.md5"})
      QVERIFY(QFile::copy(pack + u'/' + QLatin1String(file), downloads.filePath(QLatin1String(file))));
    QVERIFY(test::SignFolder(downloads.path().toStdString()));
    testing::ServerRun server;
    QVERIFY2(server.Start({QStringLiteral("--downloads"), downloads.path()}),
             server.Output().constData());

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LARKBAY_API_BASE"), server.Base());
    QProcess first;
    first.setProcessEnvironment(env);
    first.setProcessChannelMode(QProcess::ForwardedChannels);
    QElapsedTimer clock;
    clock.start();
    first.start(client, {});
    QVERIFY(first.waitForStarted());
    const qint64 firstPid = first.processId();
    KillOnExit cleanup{appData, firstPid};

    // The box waits its ten seconds (nobody answers it here), then the updater
    // ends this copy.
    QVERIFY(first.waitForFinished(90000));
    QCOMPARE(first.exitStatus(), QProcess::CrashExit);  // ended by a signal
    QVERIFY2(clock.elapsed() >= 10000, qPrintable(QString::number(clock.elapsed())));
    const QString data = appData.Path() + QStringLiteral("/Lark-Bay/");
    const QByteArray packMd5 = Md5Of(pack + QStringLiteral("/Enginepack"));
    QVERIFY(appData.ReadConfigIni().contains(QStringLiteral("HandedOverEngine=") +
                                             QString::fromLatin1(packMd5)));

    // The updater started the program again, which installs from the pack it
    // finds on the desktop and removes it.
    QTRY_VERIFY_WITH_TIMEOUT(RecordedProgram(appData) != firstPid && RecordedProgram(appData) != 0,
                             30000);
    const qint64 second = RecordedProgram(appData);
    QVERIFY(Running(second));
    const QByteArray cefMd5 = ReadAll(pack + QStringLiteral("/cef.pak.md5")).trimmed();
    QTRY_COMPARE_WITH_TIMEOUT(Md5Of(data + QStringLiteral("Engine/cef.pak")), cefMd5, 30000);
    QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(appData.Desktop() + QStringLiteral("/Enginepack")),
                             30000);
    QVERIFY(!QFileInfo::exists(appData.Desktop() + QStringLiteral("/Enginepack.sig")));
    for (const char* gone : {"Engine.exe", "Engine.cef"})
      QVERIFY2(!QFileInfo::exists(data + QLatin1String(gone)), gone);
    // The library the signed pack brought is the one later starts accept.
    const QByteArray library = QCryptographicHash::hash(
        ReadAll(data + QStringLiteral("Engine/libaquarius.so")), QCryptographicHash::Sha256).toHex();
    QVERIFY(!library.isEmpty());
    QVERIFY(appData.ReadConfigIni().contains(QStringLiteral("EngineLibrarySha256=") +
                                             QString::fromLatin1(library)));

    // ... and runs the engine: its helper processes belong to the new start.
    QTRY_VERIFY_WITH_TIMEOUT(!EngineHelpers(second).isEmpty(), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(data + QStringLiteral("Userdata")).isDir(), 30000);
  }
};

}  // namespace larkbay

QTEST_MAIN(larkbay::EngineInstallStartTest)
#include "engine_install_start_test.moc"
