#pragma once
// A way for a test of the whole client to drive the running program as a
// user would, from another process: with LARKBAY_AUTOMATION naming a socket
// path, the program answers one-line commands on a local socket — read and
// write controls by name, click, press Enter, choose list rows, send a menu's
// command, answer a message box, grab a screenshot, run a script in the
// player, read the clipboard and the download tasks, close the main window.
// Without the variable nothing listens.

#include <QObject>
#include <memory>

class QLocalServer;
class QLocalSocket;

namespace larkbay {

class Program;

class AutomationChannel : public QObject {
  Q_OBJECT
 public:
  // Listens when LARKBAY_AUTOMATION is set; null otherwise.
  static std::unique_ptr<AutomationChannel> FromEnvironment(Program& program);
  ~AutomationChannel() override;

 private:
  AutomationChannel(Program& program, const QString& path);
  void Serve(QLocalSocket* socket);
  QString Run(const QStringList& command);

  Program& program_;
  QLocalServer* server_;
};

}  // namespace larkbay
