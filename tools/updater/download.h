#pragma once
// One HTTP(S) download into an open file, with libcurl.

#include <cstdint>
#include <string>

namespace larkbay::updater {

class UpdateReport;

struct DownloadResult {
  bool ok = false;
  std::string why;  // when not ok
  std::uint64_t bytes = 0;
};

// Downloads `url` into the descriptor `fd` (following at most 10 redirects).
// Complete means: status below 400, the transfer ended cleanly, at least one
// byte, and as many bytes as an announced Content-Length.
DownloadResult DownloadToFile(const std::string& url, int fd, UpdateReport& report);

}  // namespace larkbay::updater
