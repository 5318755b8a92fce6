#pragma once
// The updater's progress window (Qt Widgets): the job runs on a worker thread,
// the window shows its step and a progress bar. Built only with Qt.

#include <functional>

#include "update_job.h"

namespace larkbay::updater {

// Runs `job` under the window; the job's exit code. Closing the window during
// the download cancels the update (the old file stays).
int RunInWindow(int& argc, char** argv, const std::function<int(UpdateReport&)>& job);

}  // namespace larkbay::updater
