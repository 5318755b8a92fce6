#pragma once
// Messages for the developers — why an exchange failed, a step's cause, a
// download's failure — never shown to the user. The core only says them; the
// program decides where they go (a log file with categories, when asked for)
// and, without a sink, they cost one check and go nowhere.

#include <functional>
#include <string_view>

namespace larkbay {

enum class LogArea { kNet, kStartup, kSearch, kDownloads };

// The category name of an area ("net", "startup", "search", "downloads").
std::string_view LogAreaName(LogArea area);

using LogSink = std::function<void(LogArea area, std::string_view message)>;

// Installs where the messages go (empty: nowhere). Set once at start; any
// thread may log.
void SetLogSink(LogSink sink);
bool LogEnabled();
void DevLog(LogArea area, std::string_view message);

}  // namespace larkbay
