#include "console_report.h"

#include <string>

#include "messages.h"

namespace larkbay::updater {
namespace {

constexpr std::uint64_t kFirstUnknownMark = std::uint64_t{1} << 20;

}  // namespace

void ConsoleReport::Step(UpdateStep step, const std::string& detail) {
  if (steps_ == nullptr) return;
  std::fprintf(steps_, "updater: %s\n", StepLine(step, detail).c_str());
  std::fflush(steps_);
}

// A handful of lines per download: at each quarter of an announced length,
// otherwise at 1 MiB, 4 MiB, 16 MiB, ...
void ConsoleReport::Progress(std::uint64_t received, std::int64_t total) {
  if (steps_ == nullptr) return;
  if (nextMark_ == 0) {
    nextMark_ = total > 0 ? (static_cast<std::uint64_t>(total) + 3) / 4 : kFirstUnknownMark;
  }
  if (received < nextMark_) return;
  if (total > 0) {
    const auto size = static_cast<std::uint64_t>(total);
    std::fprintf(steps_, "updater: %s\n", ProgressLine(received, total).c_str());
    const std::uint64_t quarter = (size + 3) / 4;
    while (nextMark_ <= received) nextMark_ += quarter;
  } else {
    std::fprintf(steps_, "updater: %s\n", ProgressLine(received, -1).c_str());
    while (nextMark_ <= received) nextMark_ *= 4;
  }
  std::fflush(steps_);
}

void ConsoleReport::Failure(const std::string& why) {
  std::fprintf(stderr, "updater: %s\n", why.c_str());
  std::fflush(stderr);
}

}  // namespace larkbay::updater
