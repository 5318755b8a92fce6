#pragma once
// The developers' log of the program: the core's messages through the
// categories larkbay.net, larkbay.startup, larkbay.search and
// larkbay.downloads, and the toolkit's own ("qt": Qt's, the browser engine's
// and the player pages' console), into "lark-bay.log" in the data folder.
// Off unless the environment asks for it: LARKBAY_LOG=1 (every area) or a
// list of areas ("net,downloads,qt"). The user sees none of it.

#include <QString>
#include <QtGlobal>
#include <string>

namespace larkbay {

inline constexpr char kDeveloperLogFile[] = "lark-bay.log";

// Reads LARKBAY_LOG; when set, turns the named categories on and sends them
// to `dataDir` + kDeveloperLogFile (`dataDir` ends with "/"). True when the log is on.
bool InstallDeveloperLog(const std::string& dataDir);

// A message of the toolkit's own (not one of the larkbay areas), kept in the
// log when it is on with the "qt" area. Any thread.
void LogToolkitMessage(QtMsgType type, const char* category, const QString& message);

}  // namespace larkbay
