#pragma once
// Processes of this machine, read from /proc and ended with kill(2).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace larkbay {

using ProcessId = std::uint32_t;

ProcessId CurrentProcessId();

// True when `id` names a live process (not a zombie, not a thread id). 0 and
// ids that are not valid process ids are never running.
bool IsProcessRunning(ProcessId id);

// The executable of process `id` as /proc/<id>/exe names it (with a
// " (deleted)" suffix when the file was replaced or removed since the start);
// "" when it cannot be read.
std::string ProcessExecutable(ProcessId id);

// The path of this program's own executable ("" when unknown).
std::string OwnExecutablePath();

// True when process `id` is running the executable at `executablePath`: the same
// file, or the same path when one of them has since been replaced on disk
// (a self-update replaces the file under a running copy).
bool IsSameExecutable(ProcessId id, const std::string& executablePath);

// Live processes whose executable file name (without folder) equals `name`
// exactly. Anyone can give a program any name: never a reason to end one.
std::vector<ProcessId> ProcessesByExecutableName(std::string_view name);

// Ends a process at once, like a hard termination (SIGKILL). With
// useGivenId false the own process is ended with exit code 0 (the call does not
// return). True when the signal was delivered; false for 0, invalid ids
// (never a process group or "all processes") and processes that cannot be
// signalled.
bool KillProcess(ProcessId id, bool useGivenId);

// True when every user id of process `id` (real, effective, saved, file
// system) is this process's effective user.
bool IsOwnedByThisUser(ProcessId id);

// Ends process `id` at once (SIGKILL), but only when it runs the executable at
// `executablePath` (see IsSameExecutable) and belongs to this user: for a
// program this process started and whose id it kept, which may since have
// ended and its id gone to anything else. Never this process. True when the
// signal was delivered.
bool EndStartedProgram(ProcessId id, const std::string& executablePath);

// Starts the program at `path` with `args` (argv[0] is `path`), detached from
// this process: in a session of its own, standard input from /dev/null, no
// descriptor of this process but standard output and error, and never a child
// of this process (it cannot linger as a zombie here). The started program's
// process id once it was executed; 0 when the file is missing or cannot be
// executed. The program gets this process's environment with
// `extraEnvironment` ("NAME=value" entries, each replacing a variable of that
// name) added for it alone.
ProcessId StartProgram(const std::string& path, const std::vector<std::string>& args = {},
                       const std::vector<std::string>& extraEnvironment = {});

// Environment entries ("NAME=value") that this process hands on explicitly
// to the program that carries its work on (the client to the updater, the
// updater to the client it starts again) and to no other: given to
// StartProgram there as its extra environment. Empty unless set.
void SetHandOnEnvironment(std::vector<std::string> entries);
std::vector<std::string> HandOnEnvironment();

// Runs the program at `path` with `args` (argv[0] is `path`) and waits until it
// has ended; standard input from /dev/null. Its exit status, or -1 when it
// could not be started or did not exit normally.
int RunProgram(const std::string& path, const std::vector<std::string>& args = {});

}  // namespace larkbay
