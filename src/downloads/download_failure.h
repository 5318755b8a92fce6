#pragma once
// Why a download failed, in the words its row's tooltip shows.

#include <cstdint>
#include <string>

namespace larkbay {

// The cause of a download the browser ended early: the server's answer to the
// size request when it was not 200 (`httpStatus`), else the browser's
// interrupt reason; "" when neither says anything.
std::string FailureCause(int interruptReason, int httpStatus);

// A download smaller than the smallest real file.
std::string TooSmallCause(std::int64_t bytes);
// The finished file could not get its name.
std::string RenameCause(const std::string& target, int error);
// Cuts the download went on after, and cuts that made it stop.
std::string ResumedCause(int cuts);
std::string TooManyCutsCause(int cuts);

}  // namespace larkbay
