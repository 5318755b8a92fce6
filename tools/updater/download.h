#pragma once
// One HTTP(S) download into an open file or into memory, with libcurl.

#include <cstddef>
#include <cstdint>
#include <string>

namespace larkbay::updater {

class UpdateReport;

struct DownloadResult {
  bool ok = false;
  bool cancelled = false;  // the report asked to stop
  bool tooLarge = false;   // more bytes came than the caller takes
  std::string why;         // when not ok
  std::uint64_t bytes = 0;
};

// Downloads `url` into the descriptor `fd` (following at most 10 redirects).
// Complete means: status below 400, the transfer ended cleanly, at least one
// byte, and as many bytes as an announced Content-Length.
DownloadResult DownloadToFile(const std::string& url, int fd, UpdateReport& report);

// The same into `bytes`, for small files (a signature): more than `limit`
// bytes is a failure, and no progress is reported, only cancelling polled.
DownloadResult DownloadToMemory(const std::string& url, std::size_t limit, std::string& bytes,
                                UpdateReport& report);

}  // namespace larkbay::updater
