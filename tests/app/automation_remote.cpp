#include "automation_remote.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <csignal>

#include "app_test_support.h"

namespace larkbay::testing {
namespace {

QString Unescape(const QString& text) {
  QString out;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] != u'\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const QChar next = text[++i];
    out += next == u'n' ? QChar(u'\n') : next == u't' ? QChar(u'\t') : next == u'r' ? QChar(u'\r') : next;
  }
  return out;
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

QString Remote::Ask(const QStringList& command, int timeoutMs) {
  if (socket_.state() != QLocalSocket::ConnectedState) {
    socket_.abort();
    socket_.connectToServer(path_);
    if (!socket_.waitForConnected(1000)) return QStringLiteral("error: not connected");
  }
  socket_.write(command.join(u'\t').toUtf8() + '\n');
  socket_.flush();
  QElapsedTimer waited;
  waited.start();
  while (!socket_.canReadLine()) {
    if (waited.elapsed() > timeoutMs || !socket_.waitForReadyRead(200)) {
      if (socket_.state() != QLocalSocket::ConnectedState || waited.elapsed() > timeoutMs)
        return QStringLiteral("error: no answer");
    }
  }
  const QString line = QString::fromUtf8(socket_.readLine()).chopped(1);
  const qsizetype tab = line.indexOf(u'\t');
  const QString status = line.left(tab);
  const QString value = Unescape(tab < 0 ? QString() : line.mid(tab + 1));
  return status == QLatin1String("ok") ? value : QStringLiteral("error: ") + value;
}

QString Remote::Ask(const char* verb, const QString& a, const QString& b, const QString& c) {
  QStringList command{QString::fromUtf8(verb)};
  for (const QString& arg : {a, b, c})
    if (!arg.isNull()) command << arg;
  return Ask(command);
}

bool Remote::WaitFor(const std::function<bool()>& done, int timeoutMs) {
  return QTest::qWaitFor(done, timeoutMs * TestTimeFactor());
}

bool Running(qint64 pid) {
  return pid > 0 && QFileInfo::exists(QStringLiteral("/proc/%1/exe").arg(pid));
}

void EndFamily(qint64 pid) {
  if (pid <= 0) return;
  for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
    bool number = false;
    const qint64 child = entry.toLongLong(&number);
    if (!number) continue;
    const QByteArray stat = ReadAll(QStringLiteral("/proc/%1/stat").arg(child));
    const qsizetype close = stat.lastIndexOf(')');
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    if (close > 0 && fields.size() > 1 && fields[1].toLongLong() == pid)
      ::kill(static_cast<pid_t>(child), SIGKILL);
  }
  ::kill(static_cast<pid_t>(pid), SIGKILL);
}

}  // namespace larkbay::testing
