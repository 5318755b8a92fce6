#pragma once
// The updater's words for what it does, shared by its console lines and its
// window, in the program's language.

#include <cstdint>
#include <string>

#include "update_job.h"

namespace larkbay::updater {

// Why a system call failed (an errno value), as the user reads it.
std::string CauseText(int error);

// A byte count for reading: "512 字节", "3.4 KB", "12.5 MB", "1.2 GB".
std::string SizeText(std::uint64_t bytes);

// A step as the window shows it: a short heading and the path it is about
// ("" when the step names none).
struct StepText {
  std::string heading;
  std::string path;
};
StepText DescribeStep(UpdateStep step, const std::string& detail);

// A step as one console line (without the "updater: " tag).
std::string StepLine(UpdateStep step, const std::string& detail);

// Why a download is refused: its signature at `signatureUrl` could not be
// fetched (`why`, the download's own sentence) or does not hold for the file.
std::string MissingSignatureText(const std::string& why);
std::string BadSignatureText(const std::string& signatureUrl);

// How far the download is; `total` -1 when unknown.
std::string ProgressLine(std::uint64_t received, std::int64_t total);

}  // namespace larkbay::updater
