#include "app/logging/developer_log_file.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QMutex>
#include <QStringList>
#include <cstdlib>

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
  QMutex mutex;
  QFile file;
  QtMessageHandler previous = nullptr;
};

LogFile& TheFile() {
  static LogFile log;
  return log;
}

void WriteMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  LogFile& log = TheFile();
  const char* category = context.category ? context.category : "";
  if (qstrncmp(category, "larkbay.", 8) != 0) {
    if (log.previous) log.previous(type, context, message);
    return;
  }
  const QByteArray line = QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toUtf8() + ' ' +
                          category + ": " + message.toUtf8() + '\n';
  QMutexLocker lock(&log.mutex);
  log.file.write(line);
  log.file.flush();
}

}  // namespace

bool InstallDeveloperLog(const std::string& dataDir) {
  const QString wanted = qEnvironmentVariable("LARKBAY_LOG").trimmed();
  if (wanted.isEmpty() || wanted == QStringLiteral("0")) return false;
  QStringList rules;
  if (wanted == QStringLiteral("1")) {
    rules << QStringLiteral("larkbay.*.debug=true");
  } else {
    for (const QString& area : wanted.split(u',', Qt::SkipEmptyParts))
      rules << QStringLiteral("larkbay.%1.debug=true").arg(area.trimmed());
  }
  LogFile& log = TheFile();
  QDir().mkpath(QString::fromStdString(dataDir));
  log.file.setFileName(QString::fromStdString(dataDir) + QLatin1String(kDeveloperLogFile));
  if (!log.file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) return false;
  QLoggingCategory::setFilterRules(rules.join(u'\n'));
  log.previous = qInstallMessageHandler(&WriteMessage);
  SetLogSink([](LogArea area, std::string_view message) {
    const QLoggingCategory& category = CategoryOf(area);
    if (category.isDebugEnabled())
      QMessageLogger(nullptr, 0, nullptr, category.categoryName()).debug().noquote()
          << QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size()));
  });
  DevLog(LogArea::kStartup, "log opened");
  return true;
}

}  // namespace larkbay
