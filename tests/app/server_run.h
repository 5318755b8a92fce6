#pragma once
// The reference server as a process for the app tests: on a free port, with a
// downloads folder of the test's choosing; stopped when the object goes.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace larkbay::testing {

class ServerRun {
 public:
  ServerRun() = default;
  ~ServerRun();
  ServerRun(const ServerRun&) = delete;
  ServerRun& operator=(const ServerRun&) = delete;

  // Starts LARKBAY_SERVER_BINARY with `arguments` and waits for its ready
  // line. False when the binary is not known or the server did not come up.
  bool Start(const QStringList& arguments = {});
  QString Base() const { return base_; }  // "http://127.0.0.1:PORT"
  QByteArray Output();

 private:
  QProcess process_;
  QByteArray output_;
  QString base_;
};

}  // namespace larkbay::testing
