// The developers' log: off without LARKBAY_LOG; with it, the named areas'
// messages — a failed exchange among them — land in lark-bay.log of the data
// folder with their category, and nothing else does. Qt's own messages leave
// the terminal for the log ("qt"), all but real problems.
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include "app/logging/developer_log_file.h"
#include "app/logging/terminal_messages.h"
#include "net/inet_request.h"
#include "services/log/developer_log.h"

using namespace larkbay;

namespace {

// What reaches the handler before the program's: the terminal.
QStringList terminal;
QtMessageHandler testsOwn = nullptr;

void Terminal(QtMsgType, const QMessageLogContext& context, const QString& message) {
  terminal << QString::fromUtf8(context.category ? context.category : "") + u' ' + message;
}

}  // namespace

class DeveloperLogTest : public QObject {
  Q_OBJECT

 private slots:
  void offUnlessAskedFor() {
    QTemporaryDir dir;
    qunsetenv("LARKBAY_LOG");
    QVERIFY(!InstallDeveloperLog(dir.path().toStdString() + "/"));
    qputenv("LARKBAY_LOG", "0");
    QVERIFY(!InstallDeveloperLog(dir.path().toStdString() + "/"));
    QVERIFY(!LogEnabled());
    QVERIFY(!QFile::exists(dir.filePath(QLatin1String(kDeveloperLogFile))));
  }

  void theNamedAreasGoToTheFile() {
    QTemporaryDir dir;
    qputenv("LARKBAY_LOG", "net,downloads");
    QVERIFY(InstallDeveloperLog(dir.path().toStdString() + "/"));
    InetRequest("http://127.0.0.1:9/missing.mp3");  // nothing listens on port 9
    DevLog(LogArea::kDownloads, "晴天.mp3: 服务器答复 HTTP 404");
    DevLog(LogArea::kStartup, "not asked for");
    qWarning("a warning of the toolkit's own");
    QFile file(dir.filePath(QLatin1String(kDeveloperLogFile)));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString log = QString::fromUtf8(file.readAll());
    QVERIFY2(log.contains(QStringLiteral("larkbay.net: GET http://127.0.0.1:9/missing.mp3: failed at the send")),
             qPrintable(log));
    QVERIFY(log.contains(QStringLiteral("larkbay.downloads: 晴天.mp3: 服务器答复 HTTP 404")));
    QVERIFY(!log.contains(QStringLiteral("not asked for")));
    QVERIFY(!log.contains(QStringLiteral("toolkit's own")));
    SetLogSink({});
  }

  void routeOfEachKindOfMessage() {
    struct Case {
      QtMsgType type;
      const char* category;
      MessageRoute route;
    };
    const Case cases[] = {
        {QtFatalMsg, "default", MessageRoute::kTerminal},
        {QtCriticalMsg, "default", MessageRoute::kTerminal},
        {QtCriticalMsg, "qt.multimedia.player", MessageRoute::kTerminal},
        {QtCriticalMsg, "js", MessageRoute::kDeveloperLog},  // a page's script error
        {QtFatalMsg, "js", MessageRoute::kTerminal},
        {QtWarningMsg, "default", MessageRoute::kDeveloperLog},
        {QtWarningMsg, "qt.multimedia.player", MessageRoute::kDeveloperLog},
        {QtInfoMsg, "qt.webenginecontext", MessageRoute::kDeveloperLog},
        {QtDebugMsg, "larkbay.net", MessageRoute::kDeveloperLog},
    };
    for (const Case& c : cases)
      QVERIFY2(RouteOf(c.type, c.category) == c.route,
               qPrintable(QStringLiteral("%1 %2").arg(int(c.type)).arg(QLatin1String(c.category))));
  }

  void toolkitMessagesLeaveTheTerminalForTheLog() {
    QTemporaryDir dir;
    testsOwn = qInstallMessageHandler(&Terminal);
    KeepTerminalForRealProblems();
    qputenv("LARKBAY_LOG", "qt");
    QVERIFY(InstallDeveloperLog(dir.path().toStdString() + "/"));
    qWarning("PulseAudioService: pa_context_connect() failed");
    QMessageLogger(nullptr, 0, nullptr, "qt.webenginecontext").info("GL Type: disabled");
    QMessageLogger(nullptr, 0, nullptr, "js").critical("Uncaught TypeError: reading 'click'");
    qCritical("a real problem");
    qInstallMessageHandler(testsOwn);

    QCOMPARE(terminal, QStringList{QStringLiteral("default a real problem")});
    QFile file(dir.filePath(QLatin1String(kDeveloperLogFile)));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString log = QString::fromUtf8(file.readAll());
    for (const char* line : {"default (warning): PulseAudioService: pa_context_connect() failed",
                             "qt.webenginecontext (info): GL Type: disabled",
                             "js (critical): Uncaught TypeError: reading 'click'",
                             "default (critical): a real problem"})
      QVERIFY2(log.contains(QString::fromUtf8(line)), qPrintable(log));
    // Only "qt" was asked for.
    QVERIFY(!log.contains(QStringLiteral("larkbay.startup")));
    SetLogSink({});
  }
};

QTEST_MAIN(DeveloperLogTest)
#include "developer_log_test.moc"
