#include "app/automation/automation_channel.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <cstdlib>
#include <string>

#include "app/automation/automation_verbs.h"
#include "app/program.h"
#include "platform/processes.h"
#include "services/log/developer_log.h"

namespace larkbay {
namespace {

constexpr char kVariable[] = "LARKBAY_AUTOMATION";

void Log(const QString& message) {
  DevLog(LogArea::kStartup, "automation: " + message.toStdString());
}

// The peer's user, from the kernel's record of the connecting process: the
// socket file's mode is a second line, not the only one.
bool FromOwnUser(QLocalSocket& socket) {
  ucred peer{};
  socklen_t size = sizeof peer;
  const auto fd = static_cast<int>(socket.socketDescriptor());
  const bool known = fd >= 0 && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
                     size == sizeof peer;
  if (known && peer.uid == ::geteuid()) return true;
  Log(known ? QStringLiteral("a connection from user %1 (process %2) refused")
                  .arg(peer.uid)
                  .arg(peer.pid)
            : QStringLiteral("a connection whose user is unknown refused"));
  return false;
}

}  // namespace

QString AutomationChannel::TakePathFromEnvironment() {
  const char* value = std::getenv(kVariable);
  const QString path = value ? QFile::decodeName(value) : QString();
  ::unsetenv(kVariable);
  return path;
}

std::unique_ptr<AutomationChannel> AutomationChannel::Open(Program& program, const QString& path) {
  if (path.isEmpty()) return nullptr;
  std::unique_ptr<AutomationChannel> channel(new AutomationChannel(program));
  if (!channel->Listen(path)) return nullptr;
  // Only to the updater, which hands it on only to the copy it starts again.
  SetHandOnEnvironment({std::string(kVariable) + '=' + QFile::encodeName(path).toStdString()});
  return channel;
}

AutomationChannel::AutomationChannel(Program& program)
    : program_(program), server_(new QLocalServer(this)) {
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      if (FromOwnUser(*socket)) {
        Serve(socket);
      } else {
        socket->abort();
        socket->deleteLater();
      }
    }
  });
}

bool AutomationChannel::Listen(const QString& path) {
  // lstat: a symlink is refused as it is, never followed to what it names.
  struct stat info {};
  if (::lstat(QFile::encodeName(path).constData(), &info) == 0) {
    if (!S_ISSOCK(info.st_mode)) {
      Log(path +
          QStringLiteral(" exists and is not a socket; not listening, the file is left alone"));
      return false;
    }
    // A socket left behind by an earlier copy (the updater ends it hard).
    QLocalServer::removeServer(path);
  }
  if (!server_->listen(path)) {
    Log(QStringLiteral("cannot listen on ") + path + QStringLiteral(": ") + server_->errorString());
    return false;
  }
  return true;
}

AutomationChannel::~AutomationChannel() = default;

void AutomationChannel::Serve(QLocalSocket* socket) {
  connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
  connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
    while (socket->canReadLine()) {
      const QString line = QString::fromUtf8(socket->readLine()).chopped(1);
      const QString reply = RunAutomationCommand(program_, line.split(u'\t'));
      socket->write(reply.toUtf8() + '\n');
      socket->flush();
    }
  });
}

}  // namespace larkbay
