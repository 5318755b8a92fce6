#pragma once
// A running copy of the program driven from a test through its automation
// socket (LARKBAY_AUTOMATION), one command a line, and the process helpers the
// tests of the whole client share.

#include <QLocalSocket>
#include <QString>
#include <QStringList>
#include <functional>

namespace larkbay::testing {

// Waits of the tests of the whole client: an updater's round, an engine start.
inline constexpr int kLongMs = 90000;

class Remote {
 public:
  explicit Remote(QString path) : path_(std::move(path)) {}
  // The command's value; "error: …" when it failed or nothing answered.
  QString Ask(const QStringList& command, int timeoutMs = 10000);
  QString Ask(const char* verb, const QString& a = {}, const QString& b = {}, const QString& c = {});
  // Waits until `done` holds, asking again and again (the sanitizers' time
  // factor included).
  bool WaitFor(const std::function<bool()>& done, int timeoutMs = kLongMs);
  void Disconnect() { socket_.abort(); }

 private:
  QString path_;
  QLocalSocket socket_;
};

// True while the process exists.
bool Running(qint64 pid);

// Ends a copy and every process it started (the engine's helpers), however
// the test ends: the copies the updater starts are nobody's child here.
void EndFamily(qint64 pid);

}  // namespace larkbay::testing
