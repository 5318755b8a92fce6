#pragma once
// The updater's progress as lines of text: steps on standard output,
// failures on standard error, each starting with "updater: ".

#include <cstdio>

#include "update_job.h"

namespace larkbay::updater {

class ConsoleReport : public UpdateReport {
 public:
  // `steps` null: failures only (a window shows the steps).
  explicit ConsoleReport(std::FILE* steps = stdout) : steps_(steps) {}
  void Step(UpdateStep step, const std::string& detail) override;
  void Progress(std::uint64_t received, std::int64_t total) override;
  void Failure(const std::string& why) override;

 private:
  std::FILE* steps_;
  std::uint64_t nextMark_ = 0;  // progress is printed when `received` reaches it
};

}  // namespace larkbay::updater
