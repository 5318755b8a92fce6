#include "file_server.h"

#include <sys/socket.h>

#include <QRegularExpression>
#include <QTcpSocket>
#include <QTimer>
#include <memory>

namespace larkbay::testing {

FileServer::FileServer() {
  QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
      QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
        if (!socket->property("served").toBool() && socket->peek(65536).contains("\r\n\r\n")) {
          socket->setProperty("served", true);
          Serve(socket);
        }
      });
    }
  });
}

QString FileServer::Url(const QString& path) const {
  return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
}

void FileServer::Serve(QTcpSocket* socket) {
  const QString head = QString::fromLatin1(socket->readAll());
  const QString path = head.section(u' ', 1, 1);
  const QRegularExpressionMatch range =
      QRegularExpression(QStringLiteral("\r\nRange: *bytes=(\\d+)-"),
                         QRegularExpression::CaseInsensitiveOption)
          .match(head);
  if (!files_.contains(path)) {
    socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    socket->disconnectFromHost();
    return;
  }
  const File file = files_.value(path);
  const bool first = ranges_.value(path).isEmpty();
  ranges_[path].append(range.hasMatch() ? range.captured(0).trimmed() : QString());
  if (!file.redirect_to.isEmpty()) {
    socket->write("HTTP/1.1 302 Found\r\nLocation: " + Url(file.redirect_to).toLatin1() +
                  "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    socket->disconnectFromHost();
    return;
  }
  const qsizetype size = file.body.size();
  qsizetype from = range.hasMatch() && file.ranges ? range.captured(1).toLongLong() : 0;
  if (from > size) from = size;
  QByteArray reply = from > 0 ? "HTTP/1.1 206 Partial Content\r\n" : "HTTP/1.1 200 OK\r\n";
  reply += "Content-Type: application/octet-stream\r\n";
  // A validator lets the browser ask for the rest after a cut.
  if (file.ranges)
    reply += "Accept-Ranges: bytes\r\nETag: \"" + QByteArray::number(qHash(file.body)) +
             "\"\r\nLast-Modified: Mon, 07 Dec 2026 10:00:00 GMT\r\n";
  if (from > 0)
    reply += "Content-Range: bytes " + QByteArray::number(from) + '-' +
             QByteArray::number(size - 1) + '/' + QByteArray::number(size) + "\r\n";
  const qsizetype announced = file.declared >= 0 ? file.declared : size;
  if (from > 0)
    reply.replace("/" + QByteArray::number(size) + "\r\n", "/" + QByteArray::number(announced) + "\r\n");
  reply += "Content-Length: " + QByteArray::number(announced - from) +
           "\r\nConnection: close\r\n\r\n";
  socket->write(reply);

  const qsizetype cut_at = file.reset_always         ? from + (size - from) / 2
                           : file.cut_first && first ? size / 2
                                                     : -1;
  const bool reset = file.reset_always;
  auto* timer = new QTimer(socket);
  auto position = std::make_shared<qsizetype>(from);
  QObject::connect(timer, &QTimer::timeout, socket, [socket, timer, file, position, cut_at, reset] {
    if (socket->state() != QAbstractSocket::ConnectedState) return timer->stop();
    if (cut_at >= 0 && *position >= cut_at) {
      timer->stop();
      if (!reset) return socket->abort();
      // What was written arrives first; a zero linger then makes the close a
      // reset instead of an orderly end.
      QTimer::singleShot(100, socket, [socket] {
        const linger abort{1, 0};
        ::setsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &abort,
                     sizeof abort);
        socket->abort();
      });
      return;
    }
    const QByteArray part = file.body.mid(*position, file.chunk);
    *position += part.size();
    socket->write(part);
    if (*position >= file.body.size()) {
      timer->stop();
      socket->disconnectFromHost();
    }
  });
  timer->start(file.interval_ms);
}

}  // namespace larkbay::testing
