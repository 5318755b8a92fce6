#include "services/log/developer_log.h"

#include <atomic>
#include <mutex>

namespace larkbay {
namespace {

struct Log {
  std::atomic<bool> enabled{false};
  std::mutex mutex;
  LogSink sink;
};

Log& TheLog() {
  static Log log;
  return log;
}

}  // namespace

std::string_view LogAreaName(LogArea area) {
  switch (area) {
    case LogArea::kNet:
      return "net";
    case LogArea::kStartup:
      return "startup";
    case LogArea::kSearch:
      return "search";
    case LogArea::kDownloads:
      return "downloads";
  }
  return "other";
}

void SetLogSink(LogSink sink) {
  Log& log = TheLog();
  std::lock_guard lock(log.mutex);
  log.enabled = static_cast<bool>(sink);
  log.sink = std::move(sink);
}

bool LogEnabled() { return TheLog().enabled.load(std::memory_order_relaxed); }

void DevLog(LogArea area, std::string_view message) {
  Log& log = TheLog();
  if (!log.enabled.load(std::memory_order_relaxed)) return;
  std::lock_guard lock(log.mutex);
  if (log.sink) log.sink(area, message);
}

}  // namespace larkbay
