#pragma once
// The update under its progress window (Qt Widgets): the job runs on a worker
// thread, the window shows its steps, and a failure ends in a message box.
// Built only with Qt.

#include <functional>

#include "update_job.h"

namespace larkbay::updater {

// Qt's own texts in Chinese (standard buttons and dialogs), from the Qt
// translations of the system; false when they are not installed (they stay
// English). Needs the application object.
bool LoadQtChineseTexts();

// Runs `job` under the window, in the existing application; the job's exit
// code. Cancelling (or closing the window) during the download stops the
// update and the old file stays.
int RunInWindow(const std::function<int(UpdateReport&)>& job);

// The same in an application of its own, with Qt's Chinese texts.
int RunInApplication(int& argc, char** argv, const std::function<int(UpdateReport&)>& job);

}  // namespace larkbay::updater
