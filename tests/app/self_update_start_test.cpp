// The program updating itself for real: a copy of lark-bay in a folder of its
// own starts against a server that announces another version and offers the
// built updater and client; the updater replaces the copy, ends it and starts
// it again; the new start goes on without a second hand-over.
#include <QDir>
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

class SelfUpdateStartTest : public QObject {
  Q_OBJECT

 private:
  static qint64 RecordedProgram(const testing::TempAppData& appData) {
    static const QRegularExpression program(QStringLiteral("Program=(\\d+)"));
    return program.match(appData.ReadConfigIni()).captured(1).toLongLong();
  }
  static bool Running(qint64 pid) {
    return pid > 0 && QFileInfo::exists(QStringLiteral("/proc/%1/exe").arg(pid));
  }

 private slots:
  void newVersionIsHandedOverOnce() {
    const QString client = qEnvironmentVariable("LARKBAY_APP_BINARY");
    const QString updater = qEnvironmentVariable("LARKBAY_UPDATER_BINARY");
    QVERIFY(!client.isEmpty() && !updater.isEmpty());
    testing::TempAppData appData;
    QTemporaryDir downloads;
    QTemporaryDir install;
    QVERIFY(QFile::copy(updater, downloads.filePath(QStringLiteral("Update.exe"))));
    QVERIFY(QFile::copy(client, downloads.filePath(QStringLiteral("lark-bay"))));
    QVERIFY(test::SignFolder(downloads.path().toStdString()));
    const QString program = install.filePath(QStringLiteral("lark-bay"));
    QVERIFY(QFile::copy(client, program));
    // The copy is older than what the server offers.
    QFile stale(program);
    QVERIFY(stale.open(QIODevice::Append));
    stale.write("an older build");
    stale.close();

    testing::ServerRun server;
    QVERIFY2(server.Start({QStringLiteral("--downloads"), downloads.path(),
                           QStringLiteral("--main-version"), QStringLiteral("1700000000")}),
             server.Output().constData());

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LARKBAY_API_BASE"), server.Base());
    QProcess first;
    first.setProcessEnvironment(env);
    first.setProcessChannelMode(QProcess::ForwardedChannels);
    first.start(program, {});
    QVERIFY(first.waitForStarted());
    const qint64 firstPid = first.processId();

    // The updater ends the first copy and starts the replaced file.
    QVERIFY(first.waitForFinished(30000));
    QCOMPARE(first.exitStatus(), QProcess::CrashExit);  // ended by a signal
    QTRY_VERIFY_WITH_TIMEOUT(RecordedProgram(appData) != firstPid && RecordedProgram(appData) != 0,
                             20000);
    const qint64 second = RecordedProgram(appData);
    QVERIFY(Running(second));
    QCOMPARE(QFileInfo(QStringLiteral("/proc/%1/exe").arg(second)).symLinkTarget(), program);

    QFile installed(program);
    QVERIFY(installed.open(QIODevice::ReadOnly));
    QFile served(client);
    QVERIFY(served.open(QIODevice::ReadOnly));
    QVERIFY(installed.readAll() == served.readAll());
    QVERIFY(QFileInfo(program).isExecutable());
    QFile updaterCopy(appData.Path() + QStringLiteral("/Lark-Bay/Update.exe"));
    QVERIFY(updaterCopy.exists());
    // Both kept with the signature they were accepted by.
    QVERIFY(QFileInfo::exists(updaterCopy.fileName() + QStringLiteral(".sig")));
    QVERIFY(QFileInfo::exists(program + QStringLiteral(".sig")));
    QVERIFY(appData.ReadConfigIni().contains(QStringLiteral("HandedOverVersion=1700000000")));

    // The second start hands nothing over again: it is still running well
    // after its own update step would have handed over and waited.
    QTest::qWait(8000);
    QVERIFY(Running(second));
    QCOMPARE(RecordedProgram(appData), second);
    ::kill(static_cast<pid_t>(second), SIGKILL);
  }
};

}  // namespace larkbay

QTEST_MAIN(larkbay::SelfUpdateStartTest)
#include "self_update_start_test.moc"
