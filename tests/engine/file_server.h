#pragma once
// A loopback HTTP server for download tests: serves bodies in timed chunks,
// honours "Range: bytes=N-", and can cut the first connection of a file
// half-way or reset every connection of it half-way, or redirect.

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTcpServer>

namespace larkbay::testing {

class FileServer {
 public:
  struct File {
    QByteArray body;
    int chunk = 64 * 1024;
    int interval_ms = 10;
    bool cut_first = false;
    // Announced instead of the body's own length when set (a lying
    // Content-Length); the connection closes after the body.
    qsizetype declared = -1;
    // Every connection ends half-way through the body with a reset (RST);
    // without `ranges` the answers carry no validator and ignore Range, so
    // each try starts from 0 again.
    bool reset_always = false;
    bool ranges = true;
    // When set, every answer is a redirect (302) to this path of the server.
    QString redirect_to = {};
  };

  bool Listen() { return server_.listen(QHostAddress::LocalHost); }
  void Add(const QString& path, const File& file) { files_[path] = file; }
  QString Url(const QString& path) const;
  // The Range header of every request of `path`, empty for none.
  QStringList Ranges(const QString& path) const { return ranges_.value(path); }

  FileServer();

 private:
  void Serve(class QTcpSocket* socket);

  QTcpServer server_;
  QMap<QString, File> files_;
  QMap<QString, QStringList> ranges_;
};

}  // namespace larkbay::testing
