#pragma once
// A way for a test of the whole client to drive the running program as a
// user would, from another process: with LARKBAY_AUTOMATION naming a socket
// path, the program answers one-line commands on a local socket — read and
// write controls by name, click, press Enter, choose list rows, send a menu's
// command, answer a message box, grab a screenshot, run a script in the
// player, read the clipboard and the download tasks, close the main window.
// Without the variable nothing listens. Anyone who reaches the socket as
// this user drives the program, page scripts included: a test interface only.

#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLocalSocket;

namespace larkbay {

class Program;

class AutomationChannel : public QObject {
  Q_OBJECT
 public:
  // The socket path LARKBAY_AUTOMATION names ("" without it), taken out of
  // the environment so that no program this one starts inherits it (the
  // browser engine's helpers, anything a helper starts). Call at the top of
  // main(), before any thread exists.
  static QString TakePathFromEnvironment();

  // Listens on `path` when it is free or holds a socket (one left by an
  // earlier copy is replaced), and hands the path on to the updater alone, so
  // that the copy the updater starts again listens there too. Null for an
  // empty path, and for one that names anything else (a file, a symlink,
  // a folder), which is left untouched.
  static std::unique_ptr<AutomationChannel> Open(Program& program, const QString& path);
  ~AutomationChannel() override;

 private:
  explicit AutomationChannel(Program& program);
  bool Listen(const QString& path);
  void Serve(QLocalSocket* socket);

  Program& program_;
  QLocalServer* server_;
};

}  // namespace larkbay
