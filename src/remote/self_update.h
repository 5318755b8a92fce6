#pragma once
// Start-up steps 3 and 4: the updater kept at the version the configuration
// announces, and the hand-over to it when the program itself is not.

#include <chrono>
#include <string>
#include <string_view>

namespace larkbay {

struct StepContext;

inline constexpr char kUpdateErrorText[] = "【主程序】发现新版本，但是更新地址失效，请到群内更新。";
inline constexpr char kUpdateErrorTitle[] = "更新错误";
// Config.ini key: the announced version the program last handed over for.
inline constexpr char kHandedOverKey[] = "HandedOverVersion";

// True when Update.exe in the data folder has the announced digest, or has
// just been replaced by a download that has it. A download with any other
// digest is thrown away and the old file kept.
bool UpdateUpdater(StepContext& context);

// True when the program is the announced version. Otherwise hands over to
// the updater (record written, updater started, then false after the wait)
// or, without a working address or when the record for the updater cannot be
// written, shows "更新错误" and ends the process. A
// version already handed over once is not handed over again: false, and the
// program goes on as it is.
bool UpdateProgram(StepContext& context);

// Hands a download to the updater: writes the record (this process to end,
// `address` to save as `saveFolder` + `fileName`, this program to start
// again), ends the updater an earlier hand-over of this run started, starts
// Update.exe and waits for it to end this process. `settle` is the wait around
// ending the old updater. False, with nothing started, when the record cannot
// be written whole (an address holding "|", a full disk): the updater would
// otherwise carry out whatever record was there before.
bool HandOverToUpdater(StepContext& context, const std::string& address,
                       const std::string& saveFolder, const std::string& fileName,
                       std::chrono::milliseconds settle);

// Ends the updater this run started (context.startedUpdater), when that
// process still runs the data folder's Update.exe for this user; any other
// process, whatever its name, is left alone.
void EndStartedUpdater(StepContext& context);

}  // namespace larkbay
