#pragma once
// What reaches the terminal. Qt, the browser engine and the player pages say
// a great deal on every start (the engine's settings, a missing sound server
// or session bus, a page's script errors) that a user cannot act on: that
// goes to the developers' log. Only real problems stay on the terminal: Qt's
// critical and fatal messages (not a page's script errors, which Qt reports
// as critical too).

#include <QtGlobal>
#include <string_view>

namespace larkbay {

enum class MessageRoute { kTerminal, kDeveloperLog };

// Where a message of Qt's of `type` in `category` goes.
MessageRoute RouteOf(QtMsgType type, std::string_view category);

// Installs the message handler that sends each message where RouteOf says;
// the terminal is the handler that was installed before (Qt's own). A message
// for the terminal is kept in the developers' log as well.
void KeepTerminalForRealProblems();

}  // namespace larkbay
