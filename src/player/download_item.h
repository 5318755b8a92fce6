#pragma once
// One download of a page host, as its owner sees it during a download event:
// what the browser reports of it, and the answers the event allows.

#include <cstdint>
#include <string_view>

namespace larkbay {

class DownloadItem {
 public:
  virtual ~DownloadItem() = default;

  // 1, 2, 3 … in the order this program started its downloads in this run;
  // downloads a page asks for itself never reach the host and take no number.
  virtual int Id() const = 0;
  virtual bool IsInProgress() const = 0;  // paused ones included
  virtual bool IsComplete() const = 0;
  // Cancelled, or ended by a failure before its end (see InterruptReason).
  virtual bool IsCanceled() const = 0;
  virtual int PercentComplete() const = 0;       // -1 while the total is unknown
  virtual std::int64_t TotalBytes() const = 0;    // -1 while unknown
  virtual std::int64_t ReceivedBytes() const = 0;
  // The browser's reason for a failed download (kDownloadInterrupt*); 0 when
  // nothing went wrong.
  virtual int InterruptReason() const = 0;
  // How often the connection was cut and the download went on by itself.
  virtual int Resumptions() const = 0;

  // Answer to "download requested": write to `path` (the full path).
  virtual void Continue(std::string_view path) = 0;
  // Answers to "download updated".
  virtual void Pause() = 0;
  virtual void Resume() = 0;
  virtual void Cancel() = 0;
};

// The browser's interrupt reasons a failed download can show.
inline constexpr int kDownloadInterruptFileFailed = 1;
inline constexpr int kDownloadInterruptFileAccessDenied = 2;
inline constexpr int kDownloadInterruptFileNoSpace = 3;
inline constexpr int kDownloadInterruptFileNameTooLong = 5;
inline constexpr int kDownloadInterruptFileTooLarge = 6;
inline constexpr int kDownloadInterruptNetworkFailed = 20;
inline constexpr int kDownloadInterruptNetworkTimeout = 21;
inline constexpr int kDownloadInterruptNetworkDisconnected = 22;
inline constexpr int kDownloadInterruptServerFailed = 30;
inline constexpr int kDownloadInterruptServerBadContent = 33;
inline constexpr int kDownloadInterruptServerUnauthorized = 34;
inline constexpr int kDownloadInterruptServerForbidden = 36;
inline constexpr int kDownloadInterruptServerUnreachable = 37;
inline constexpr int kDownloadInterruptServerContentLengthMismatch = 38;
inline constexpr int kDownloadInterruptUserCanceled = 40;

}  // namespace larkbay
