#include "app/logging/terminal_messages.h"

#include <atomic>

#include "app/logging/developer_log_file.h"

namespace larkbay {
namespace {

// Set once, before the handler is; read by any thread.
std::atomic<QtMessageHandler> previousHandler{nullptr};

// The category of the player pages' console messages (QWebEnginePage's own).
constexpr std::string_view kPageConsole = "js";

void Route(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  const char* category = context.category ? context.category : "";
  LogToolkitMessage(type, category, message);
  if (RouteOf(type, category) != MessageRoute::kTerminal) return;
  if (QtMessageHandler previous = previousHandler.load()) previous(type, context, message);
}

}  // namespace

MessageRoute RouteOf(QtMsgType type, std::string_view category) {
  switch (type) {
    case QtFatalMsg:
      return MessageRoute::kTerminal;
    case QtCriticalMsg:
      return category == kPageConsole ? MessageRoute::kDeveloperLog : MessageRoute::kTerminal;
    case QtDebugMsg:
    case QtInfoMsg:
    case QtWarningMsg:
      return MessageRoute::kDeveloperLog;
  }
  return MessageRoute::kTerminal;
}

void KeepTerminalForRealProblems() {
  // Qt answers with its own handler when none was installed before.
  const QtMessageHandler previous = qInstallMessageHandler(&Route);
  if (previous != &Route) previousHandler = previous;
}

}  // namespace larkbay
