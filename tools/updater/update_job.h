#pragma once
// The updater's work, free of any window: read the hand-over record, download
// the new file and its signature beside its target, put both in place when
// the signature holds, end the old program and start the new one. The caller shows the progress.

#include <cstddef>
#include <cstdint>
#include <string>

namespace larkbay {
struct UpdaterRecord;
}

namespace larkbay::updater {

// The updater's exit codes.
enum ExitCode : int {
  kExitOk = 0,
  kExitBadRecord = 1,       // the record is missing, malformed or used; nothing touched
  kExitUsage = 2,           // unknown command-line arguments
  kExitDownloadFailed = 3,  // no complete download; the old file is untouched
  kExitReplaceFailed = 4,   // the download could not be put in place; the old file is untouched
  kExitStartFailed = 5,     // the file was replaced but the program could not be started
  kExitFolderFailed = 6,    // the save folder is missing and cannot be made; nothing replaced
  kExitBadSignature = 7,    // no valid release signature came; the old file is untouched
};

enum class UpdateStep {
  kReadRecord,  // detail: the record file
  kFolderMade,  // detail: the save folder, made with its missing parents
  kDownload,    // detail: the target
  kReceived,    // detail: the size, as text
  kSigned,      // detail: the signature's address; the download is signed by the release key
  kReplaced,    // detail: the target
  kEnded,       // detail: the process id
  kNotEnded,    // detail: why the process was left alone, as a sentence
  kStarted,     // detail: the program
};

// Where the job reports; called on the job's thread.
class UpdateReport {
 public:
  virtual ~UpdateReport() = default;
  virtual void Step(UpdateStep step, const std::string& detail) = 0;
  // `total` is -1 when the server announced no length.
  virtual void Progress(std::uint64_t received, std::int64_t total) = 0;
  // Why the update stopped, as a sentence for the user; the job then returns
  // a non-zero code.
  virtual void Failure(const std::string& why) = 0;
  // Polled during the download: true stops it (the old file stays).
  virtual bool Cancelled() const { return false; }
};

// The record file beside this program's executable ("" when unknown).
std::string DefaultRecordPath();

// The client's settings lie beside the record: a private CA they name
// (Config.ini's CaFile) is trusted by the updater's downloads too, as
// LARKBAY_CA_FILE is.
void TrustCaOfClientSettings(const std::string& recordPath);

// Field 3 joined with field 4, with single "/" between the parts.
std::string TargetPath(const UpdaterRecord& record);

// Releases are signed: the file at an address has its detached signature at
// the address followed by ".sig". Larger signature files are refused.
inline constexpr std::size_t kSignatureLimit = 4096;

// The whole update; an ExitCode. A sound record is emptied once it is read,
// before anything else is done, so that it serves one run only.
int RunUpdate(const std::string& recordPath, UpdateReport& report);

}  // namespace larkbay::updater
