#include "download.h"

#include <curl/curl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "update_job.h"

namespace larkbay::updater {
namespace {

constexpr long kMaxRedirects = 10;
constexpr long kConnectTimeoutSeconds = 30;
constexpr long kStallSeconds = 30;  // abort after this long below 1 byte/s

struct Transfer {
  int fd = -1;
  std::uint64_t written = 0;
  int writeError = 0;
  UpdateReport* report = nullptr;
};

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const size_t length = size * count;
  size_t done = 0;
  while (done < length) {
    const ssize_t n = ::write(transfer->fd, data + done, length - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      transfer->writeError = n < 0 ? errno : EIO;
      return 0;  // libcurl stops with CURLE_WRITE_ERROR
    }
    done += static_cast<size_t>(n);
  }
  transfer->written += length;
  return length;
}

int OnProgress(void* user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t) {
  auto* transfer = static_cast<Transfer*>(user);
  if (transfer->report->Cancelled()) return 1;
  if (now > 0) {
    transfer->report->Progress(static_cast<std::uint64_t>(now),
                               total > 0 ? static_cast<std::int64_t>(total) : -1);
  }
  return 0;
}

struct EasyDeleter {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};

}  // namespace

DownloadResult DownloadToFile(const std::string& url, int fd, UpdateReport& report) {
  DownloadResult result;
  std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
  if (!easy) {
    result.why = "cannot set up the download";
    return result;
  }
  Transfer transfer{fd, 0, 0, &report};
  char error[CURL_ERROR_SIZE] = {};
  CURL* h = easy.get();
  const bool setUp =
      curl_easy_setopt(h, CURLOPT_URL, url.c_str()) == CURLE_OK &&
      curl_easy_setopt(h, CURLOPT_ERRORBUFFER, error) == CURLE_OK &&
      // A record could name any URL; only web addresses are downloads.
      curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
      curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") == CURLE_OK &&
      curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK &&
      curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects) == CURLE_OK &&
      curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L) == CURLE_OK &&
      curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds) == CURLE_OK &&
      curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L) == CURLE_OK &&
      curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, kStallSeconds) == CURLE_OK &&
      curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
      curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, WriteBody) == CURLE_OK &&
      curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer) == CURLE_OK &&
      curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L) == CURLE_OK &&
      curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, OnProgress) == CURLE_OK &&
      curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer) == CURLE_OK;
  if (!setUp) {
    result.why = "cannot set up the download of " + url;
    return result;
  }

  const CURLcode code = curl_easy_perform(h);
  result.bytes = transfer.written;
  if (code != CURLE_OK) {
    if (code == CURLE_WRITE_ERROR && transfer.writeError != 0) {
      result.why = std::string("cannot write the download: ") + std::strerror(transfer.writeError);
    } else if (code == CURLE_ABORTED_BY_CALLBACK) {
      result.why = "download cancelled";
    } else {
      result.why = "download of " + url +
                   " failed: " + (error[0] != '\0' ? std::string(error) : curl_easy_strerror(code));
    }
    return result;
  }
  curl_off_t announced = -1;
  curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
  if (announced >= 0 && static_cast<std::uint64_t>(announced) != transfer.written) {
    result.why = "download of " + url + " is incomplete: " + std::to_string(transfer.written) +
                 " of " + std::to_string(announced) + " bytes";
    return result;
  }
  if (transfer.written == 0) {
    result.why = "download of " + url + " is empty";
    return result;
  }
  result.ok = true;
  return result;
}

}  // namespace larkbay::updater
