#include "app/logging/developer_log_file.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QMutex>
#include <QStringList>
#include <atomic>

#include "services/log/developer_log.h"

namespace larkbay {
namespace {

Q_LOGGING_CATEGORY(lcNet, "larkbay.net", QtWarningMsg)
Q_LOGGING_CATEGORY(lcStartup, "larkbay.startup", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSearch, "larkbay.search", QtWarningMsg)
Q_LOGGING_CATEGORY(lcDownloads, "larkbay.downloads", QtWarningMsg)

const QLoggingCategory& CategoryOf(LogArea area) {
  switch (area) {
    case LogArea::kNet:
      return lcNet();
    case LogArea::kStartup:
      return lcStartup();
    case LogArea::kSearch:
      return lcSearch();
    case LogArea::kDownloads:
      return lcDownloads();
  }
  return lcNet();
}

struct LogFile {
  // Recursive: should Qt warn while the file is being opened, its message
  // comes back here on the same thread.
  QRecursiveMutex mutex;
  QFile file;
  std::atomic<bool> toolkit{false};  // the "qt" area
};

// Never destroyed: Qt may still report something while the process ends.
LogFile& TheFile() {
  static LogFile* log = new LogFile;
  return *log;
}

void WriteLine(const QByteArray& category, const QString& message) {
  const QByteArray line = QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toUtf8() + ' ' +
                          category + ": " + message.toUtf8() + '\n';
  LogFile& log = TheFile();
  QMutexLocker lock(&log.mutex);
  if (!log.file.isOpen()) return;
  log.file.write(line);
  log.file.flush();
}

const char* TypeName(QtMsgType type) {
  switch (type) {
    case QtDebugMsg:
      return "debug";
    case QtInfoMsg:
      return "info";
    case QtWarningMsg:
      return "warning";
    case QtCriticalMsg:
      return "critical";
    case QtFatalMsg:
      return "fatal";
  }
  return "message";
}

}  // namespace

bool InstallDeveloperLog(const std::string& dataDir) {
  const QString wanted = qEnvironmentVariable("LARKBAY_LOG").trimmed();
  if (wanted.isEmpty() || wanted == QStringLiteral("0")) return false;
  QStringList rules;
  bool toolkit = false;
  if (wanted == QStringLiteral("1")) {
    rules << QStringLiteral("larkbay.*.debug=true");
    toolkit = true;
  } else {
    for (const QString& listed : wanted.split(u',', Qt::SkipEmptyParts)) {
      const QString area = listed.trimmed();
      if (area == QStringLiteral("qt"))
        toolkit = true;
      else
        rules << QStringLiteral("larkbay.%1.debug=true").arg(area);
    }
  }
  LogFile& log = TheFile();
  {
    QMutexLocker lock(&log.mutex);
    if (log.file.isOpen()) log.file.close();
    QDir().mkpath(QString::fromStdString(dataDir));
    log.file.setFileName(QString::fromStdString(dataDir) + QLatin1String(kDeveloperLogFile));
    if (!log.file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) return false;
  }
  // The pages' console.log lines are info messages of "js", off by default.
  if (toolkit) rules << QStringLiteral("js.info=true");
  QLoggingCategory::setFilterRules(rules.join(u'\n'));
  log.toolkit = toolkit;
  SetLogSink([](LogArea area, std::string_view message) {
    const QLoggingCategory& category = CategoryOf(area);
    if (category.isDebugEnabled())
      WriteLine(category.categoryName(),
                QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size())));
  });
  DevLog(LogArea::kStartup, "log opened");
  return true;
}

void LogToolkitMessage(QtMsgType type, const char* category, const QString& message) {
  if (!TheFile().toolkit.load(std::memory_order_relaxed)) return;
  WriteLine(QByteArray(category && *category ? category : "default") + " (" + TypeName(type) + ')',
            message);
}

}  // namespace larkbay
