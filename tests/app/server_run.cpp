#include "server_run.h"

#include <sys/prctl.h>

#include <csignal>

#include <QDeadlineTimer>
#include <QRegularExpression>

namespace larkbay::testing {

ServerRun::~ServerRun() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.terminate();
  if (!process_.waitForFinished(5000)) process_.kill();
  process_.waitForFinished();
}

bool ServerRun::Start(const QStringList& arguments) {
  const QString binary = qEnvironmentVariable("LARKBAY_SERVER_BINARY");
  if (binary.isEmpty()) return false;
  process_.setProcessChannelMode(QProcess::MergedChannels);
  // A test that crashes takes its server with it.
  process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
  process_.start(binary, QStringList{QStringLiteral("--port"), QStringLiteral("0")} + arguments);
  if (!process_.waitForStarted()) return false;
  static const QRegularExpression ready(QStringLiteral("ready at (http://[^/ ]+)"));
  QDeadlineTimer deadline(15000);
  while (!deadline.hasExpired() && process_.state() == QProcess::Running) {
    process_.waitForReadyRead(100);
    output_ += process_.readAll();
    const QRegularExpressionMatch match = ready.match(QString::fromUtf8(output_));
    if (match.hasMatch()) {
      base_ = match.captured(1);
      return true;
    }
  }
  return false;
}

QByteArray ServerRun::Output() {
  output_ += process_.readAll();
  return output_;
}

}  // namespace larkbay::testing
