#include "download.h"

#include <curl/curl.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "messages.h"
#include "net/curl_tls.h"
#include "services/log/developer_log.h"
#include "update_job.h"

namespace larkbay::updater {
namespace {

constexpr long kMaxRedirects = 10;
constexpr long kConnectTimeoutSeconds = 30;
constexpr long kStallSeconds = 30;  // abort after this long below 1 byte/s

// Where the body goes: the descriptor `fd`, or `memory` (up to `limit` bytes)
// when it is set.
struct Transfer {
  int fd = -1;
  std::string* memory = nullptr;
  size_t limit = 0;
  bool tooLarge = false;
  bool showProgress = true;
  std::uint64_t written = 0;
  int writeError = 0;
  UpdateReport* report = nullptr;
};

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const size_t length = size * count;
  if (transfer->memory != nullptr) {
    if (length > transfer->limit - transfer->memory->size()) {
      transfer->tooLarge = true;
      return 0;  // libcurl stops with CURLE_WRITE_ERROR
    }
    transfer->memory->append(data, length);
    transfer->written += length;
    return length;
  }
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
  if (now > 0 && transfer->showProgress) {
    transfer->report->Progress(static_cast<std::uint64_t>(now),
                               total > 0 ? static_cast<std::int64_t>(total) : -1);
  }
  return 0;
}

// What went wrong, in the user's words; libcurl's own text where there are none.
std::string CurlCause(CURL* easy, CURLcode code, const char* detail) {
  switch (code) {
    case CURLE_HTTP_RETURNED_ERROR: {
      long status = 0;
      curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
      return "服务器返回错误 " + std::to_string(status);
    }
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return "找不到服务器";
    case CURLE_COULDNT_CONNECT:
      return "无法连接服务器";
    case CURLE_OPERATION_TIMEDOUT:
      return "网络超时";
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
      return "连接中断，文件没有下载完整";
    case CURLE_GOT_NOTHING:
      return "服务器没有回应";
    case CURLE_TOO_MANY_REDIRECTS:
      return "地址跳转次数太多";
    case CURLE_UNSUPPORTED_PROTOCOL:
      return "只能从 http 或 https 地址下载";
    case CURLE_URL_MALFORMAT:
      return "地址格式不对";
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_ISSUER_ERROR:
      return "安全连接失败";
    default:
      return "网络错误（" + std::string(detail[0] != '\0' ? detail : curl_easy_strerror(code)) +
             "）";
  }
}

struct EasyDeleter {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};

DownloadResult Download(const std::string& url, Transfer& transfer) {
  DownloadResult result;
  std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
  if (!easy) {
    result.why = "无法准备下载";
    return result;
  }
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
      curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer) == CURLE_OK &&
      // The same certificate checks as every exchange of the client.
      ApplyTlsOptions(h);
  if (!setUp) {
    result.why = "无法准备下载 " + url;
    return result;
  }

  const CURLcode code = curl_easy_perform(h);
  result.bytes = transfer.written;
  result.tooLarge = transfer.tooLarge;
  if (code != CURLE_OK) {
    DevLog(LogArea::kNet, "GET " + url + ": " +
                              (error[0] != '\0' ? std::string(error) : curl_easy_strerror(code)));
    if (code == CURLE_WRITE_ERROR && transfer.tooLarge) {
      result.why = "下载 " + url + " 失败：文件超过 " + SizeText(transfer.limit);
    } else if (code == CURLE_WRITE_ERROR && transfer.writeError != 0) {
      result.why = "无法写入下载的文件：" + CauseText(transfer.writeError);
    } else if (code == CURLE_ABORTED_BY_CALLBACK) {
      result.cancelled = true;
      result.why = "下载已取消";
    } else {
      result.why = "下载 " + url + " 失败：" + CurlCause(h, code, error);
    }
    return result;
  }
  curl_off_t announced = -1;
  curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
  if (announced >= 0 && static_cast<std::uint64_t>(announced) != transfer.written) {
    result.why = "下载 " + url + " 失败：文件不完整（收到 " + std::to_string(transfer.written) +
                 " 字节，应为 " + std::to_string(announced) + " 字节）";
    return result;
  }
  if (transfer.written == 0) {
    result.why = "下载 " + url + " 失败：服务器给的文件是空的";
    return result;
  }
  result.ok = true;
  return result;
}

}  // namespace

DownloadResult DownloadToFile(const std::string& url, int fd, UpdateReport& report) {
  Transfer transfer;
  transfer.fd = fd;
  transfer.report = &report;
  return Download(url, transfer);
}

DownloadResult DownloadToMemory(const std::string& url, std::size_t limit, std::string& bytes,
                                UpdateReport& report) {
  bytes.clear();
  Transfer transfer;
  transfer.memory = &bytes;
  transfer.limit = limit;
  transfer.showProgress = false;
  transfer.report = &report;
  return Download(url, transfer);
}

}  // namespace larkbay::updater
