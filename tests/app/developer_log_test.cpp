// The developers' log: off without LARKBAY_LOG; with it, the named areas'
// messages — a failed exchange among them — land in lark-bay.log of the data
// folder with their category, and nothing else does.
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app/logging/developer_log_file.h"
#include "net/inet_request.h"
#include "services/log/developer_log.h"

using namespace larkbay;

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
};

QTEST_MAIN(DeveloperLogTest)
#include "developer_log_test.moc"
