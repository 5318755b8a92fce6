#include "net/curl_exchange.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>

#include "net/cancel_token.h"
#include "net/curl_tls.h"
#include "net/header_rules.h"
#include "services/log/developer_log.h"

namespace larkbay::net_detail {
namespace {

using Clock = std::chrono::steady_clock;

bool CurlReady() {
  // Function-local static: initialised once, by whichever thread comes first.
  static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return ready;
}

struct EasyCleanup {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct ListCleanup {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct MultiCleanup {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct UrlCleanup {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

// What the callbacks see while the transfer runs.
struct Transfer {
  const ExchangeRequest* request = nullptr;
  ExchangeResult* result = nullptr;
  std::string block;  // header block of the response being read
  bool blockDone = false;
  // A HEAD answer has no body, whatever its Content-Length says: the
  // exchange ends with the header block of the final response.
  bool stopAtHeaderEnd = false;
  bool stoppedAtHeaderEnd = false;
  Clock::time_point lastActivity;
  curl_off_t lastDown = 0;
  curl_off_t lastUp = 0;
};

int StatusCode(std::string_view block) {
  const size_t space = block.find(' ');
  if (space == std::string_view::npos) return 0;
  int code = 0;
  for (size_t i = space + 1; i < block.size() && i < space + 4; ++i) {
    if (block[i] < '0' || block[i] > '9') return 0;
    code = code * 10 + (block[i] - '0');
  }
  return code;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto& transfer = *static_cast<Transfer*>(user);
  const size_t length = size * count;
  const std::string_view line(data, length);
  // Every response (an interim 1xx, each redirect) starts a new block; the
  // caller gets the last one.
  if (line.starts_with("HTTP/")) {
    transfer.block.clear();
    transfer.blockDone = false;
  }
  if (transfer.block.size() + length > kMaxHeaderBlock) return 0;
  transfer.block.append(line);
  transfer.lastActivity = Clock::now();
  if (line == "\r\n" || line == "\n") {
    transfer.blockDone = true;
    if (transfer.stopAtHeaderEnd && StatusCode(transfer.block) >= 200) {
      transfer.stoppedAtHeaderEnd = true;
      return 0;  // ends the transfer here
    }
  }
  return length;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto& transfer = *static_cast<Transfer*>(user);
  const size_t length = size * count;
  std::string& body = transfer.result->body;
  const size_t cap = transfer.request->maxBodyBytes;
  if (length > cap - body.size()) return 0;  // over the cap: fail
  // Doubling growth would reserve up to twice the cap near its end; the
  // buffer never needs more than the cap itself. (reserve() on a filled
  // string doubles too, so the bytes move into a buffer of the exact size.)
  if (body.size() + length > body.capacity()) {
    std::string grown;
    grown.reserve(std::min(cap, std::max(body.size() + length, 2 * body.capacity())));
    grown.append(body);
    body.swap(grown);
  }
  body.append(data, length);
  transfer.lastActivity = Clock::now();
  return length;
}

int OnProgress(void* user, curl_off_t, curl_off_t downNow, curl_off_t, curl_off_t upNow) {
  auto& transfer = *static_cast<Transfer*>(user);
  if (downNow != transfer.lastDown || upNow != transfer.lastUp) {
    transfer.lastDown = downNow;
    transfer.lastUp = upNow;
    transfer.lastActivity = Clock::now();
  }
  const CancelToken* cancel = transfer.request->cancel;
  return cancel != nullptr && cancel->Cancelled() ? 1 : 0;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string_view LineName(std::string_view line) {
  return TrimSpaces(line.substr(0, line.find(':')));
}

bool HasLineNamed(const std::vector<std::string>& lines, std::string_view name) {
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& line) { return SameName(LineName(line), name); });
}

bool IsSendFailure(CURLcode code) {
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SEND_ERROR:
    case CURLE_URL_MALFORMAT:
      return true;
    default:
      return false;
  }
}

// Sets options in order and remembers the first one that fails.
class Settings {
 public:
  Settings(CURL* easy, ExchangeResult& result) : easy_(easy), result_(result) {}
  template <typename Value>
  void Set(SetupStep step, CURLoption option, Value value) {
    if (ok_ && curl_easy_setopt(easy_, option, value) != CURLE_OK) {
      ok_ = false;
      result_.failedSetting = step;
    }
  }
  void Fail(SetupStep step) {
    if (ok_) result_.failedSetting = step;
    ok_ = false;
  }
  bool ok() const { return ok_; }

 private:
  CURL* easy_;
  ExchangeResult& result_;
  bool ok_ = true;
};

// The header lines as libcurl takes them: a line with an empty value is written
// "Name;" (libcurl would take "Name:" as "remove this header"), and the lines
// libcurl would add on its own are switched off unless the block has them.
std::unique_ptr<curl_slist, ListCleanup> HeaderList(const ExchangeRequest& request, bool& ok) {
  std::unique_ptr<curl_slist, ListCleanup> list;
  auto append = [&](const std::string& line) {
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (grown == nullptr) {
      ok = false;
      return;
    }
    list.release();
    list.reset(grown);
  };
  ok = true;
  for (const std::string& line : request.headerLines) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    if (TrimSpaces(std::string_view(line).substr(colon + 1)).empty()) {
      append(std::string(LineName(line)) + ";");
    } else {
      append(line);
    }
  }
  const auto& lines = request.headerLines;
  if (!HasLineNamed(lines, "Accept")) append("Accept:");
  if (!HasLineNamed(lines, "Expect")) append("Expect:");
  if (!HasLineNamed(lines, "Content-Type")) append("Content-Type:");
  if (!request.proxy.empty() && !HasLineNamed(lines, "Proxy-Connection")) append("Proxy-Connection:");
  return list;
}

}  // namespace

bool HttpLibraryReady() { return CurlReady(); }

bool IsHttpUrl(std::string_view url) {
  if (url.find_first_of(std::string_view("\0\r\n", 3)) != std::string_view::npos) return false;
  if (!CurlReady()) return false;
  std::unique_ptr<CURLU, UrlCleanup> handle(curl_url());
  if (!handle) return false;
  if (curl_url_set(handle.get(), CURLUPART_URL, std::string(url).c_str(), 0) != CURLUE_OK) {
    return false;
  }
  char* scheme = nullptr;
  char* host = nullptr;
  bool good = curl_url_get(handle.get(), CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
              curl_url_get(handle.get(), CURLUPART_HOST, &host, 0) == CURLUE_OK &&
              (std::string_view(scheme) == "http" || std::string_view(scheme) == "https") &&
              *host != '\0';
  curl_free(scheme);
  curl_free(host);
  return good;
}

std::string ResolveReference(std::string_view base, std::string_view reference) {
  const auto unsafe = std::string_view("\0\r\n", 3);
  if (base.find_first_of(unsafe) != std::string_view::npos ||
      reference.find_first_of(unsafe) != std::string_view::npos || !CurlReady()) {
    return {};
  }
  std::unique_ptr<CURLU, UrlCleanup> handle(curl_url());
  if (!handle ||
      curl_url_set(handle.get(), CURLUPART_URL, std::string(base).c_str(), 0) != CURLUE_OK ||
      curl_url_set(handle.get(), CURLUPART_URL, std::string(reference).c_str(), 0) != CURLUE_OK) {
    return {};
  }
  char* joined = nullptr;
  if (curl_url_get(handle.get(), CURLUPART_URL, &joined, 0) != CURLUE_OK) return {};
  std::string out(joined);
  curl_free(joined);
  return out;
}

namespace {

struct Outcome {
  bool finished = false;
  CURLcode code = CURLE_OK;
};

// Runs the easy handle to its end, to a cancel, to a stall or to `deadline`.
Outcome Perform(CURL* easy, Transfer& transfer) {
  const ExchangeRequest& request = *transfer.request;
  Outcome outcome;
  std::unique_ptr<CURLM, MultiCleanup> multiHandle(curl_multi_init());
  if (!multiHandle || curl_multi_add_handle(multiHandle.get(), easy) != CURLM_OK) return outcome;
  CURLM* multi = multiHandle.get();
  {
    // Cancel() wakes the wait below at once; the watch ends before the multi
    // handle does.
    CancelToken::Watch watch(request.cancel, [multi] { curl_multi_wakeup(multi); });
    transfer.lastActivity = Clock::now();
    for (;;) {
      if (request.cancel != nullptr && request.cancel->Cancelled()) break;
      int running = 0;
      if (curl_multi_perform(multi, &running) != CURLM_OK) break;
      if (running == 0) {
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
          if (message->msg == CURLMSG_DONE) {
            outcome.finished = true;
            outcome.code = message->data.result;
          }
        }
        break;
      }
      int waitMs = 1000;
      if (request.stallTimeout.count() > 0) {
        const auto idle = Clock::now() - transfer.lastActivity;
        if (idle >= request.stallTimeout) break;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(request.stallTimeout - idle);
        waitMs = static_cast<int>(std::min<std::chrono::milliseconds::rep>(waitMs, left.count() + 1));
      }
      if (curl_multi_poll(multi, nullptr, 0, waitMs, nullptr) != CURLM_OK) break;
    }
  }
  curl_multi_remove_handle(multi, easy);
  return outcome;
}

std::string HeaderOf(std::string_view block, std::string_view name) {
  for (std::string_view line : SplitHeaderLines(block)) {
    const size_t colon = line.find(':');
    if (colon != std::string_view::npos && SameName(TrimSpaces(line.substr(0, colon)), name)) {
      return std::string(TrimSpaces(line.substr(colon + 1)));
    }
  }
  return {};
}

// Scheme, host and port, for keeping credentials on their own server.
std::string Origin(const std::string& url) {
  std::unique_ptr<CURLU, UrlCleanup> handle(curl_url());
  if (!handle || curl_url_set(handle.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) return {};
  std::string origin;
  for (CURLUPart part : {CURLUPART_SCHEME, CURLUPART_HOST, CURLUPART_PORT}) {
    char* piece = nullptr;
    if (curl_url_get(handle.get(), part, &piece, CURLU_DEFAULT_PORT) != CURLUE_OK) return {};
    origin += piece;
    origin += '|';
    curl_free(piece);
  }
  return origin;
}

bool IsRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

}  // namespace

ExchangeResult RunExchange(const ExchangeRequest& request) {
  ExchangeResult result;
  if (!CurlReady()) return result;
  std::unique_ptr<CURL, EasyCleanup> easyHandle(curl_easy_init());
  if (!easyHandle) {
    result.failedSetting = SetupStep::Session;
    return result;
  }
  CURL* easy = easyHandle.get();
  Transfer transfer;
  transfer.request = &request;
  transfer.result = &result;
  const bool head = request.verb == "HEAD";
  transfer.stopAtHeaderEnd = head;

  Settings s(easy, result);
  // libcurl's own account of a failure ("SSL certificate problem: ..."), for
  // the developers' log.
  char errorText[CURL_ERROR_SIZE] = {};
  s.Set(SetupStep::Session, CURLOPT_ERRORBUFFER, static_cast<char*>(errorText));
  const std::string proxy =
      request.proxy.empty() || request.proxy.find("://") != std::string::npos
          ? request.proxy
          : "http://" + request.proxy;
  s.Set(SetupStep::Session, CURLOPT_NOSIGNAL, 1L);
  s.Set(SetupStep::Session, CURLOPT_PROTOCOLS_STR, "http,https");
  s.Set(SetupStep::Session, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  s.Set(SetupStep::Session, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  // Set even when empty: an empty proxy also keeps *_proxy variables out.
  s.Set(SetupStep::Session, CURLOPT_PROXY, proxy.c_str());
  s.Set(SetupStep::Session, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  s.Set(SetupStep::Session, CURLOPT_HEADEROPT, static_cast<long>(CURLHEADER_SEPARATE));
  s.Set(SetupStep::Session, CURLOPT_HEADERFUNCTION, &OnHeader);
  s.Set(SetupStep::Session, CURLOPT_HEADERDATA, static_cast<void*>(&transfer));
  s.Set(SetupStep::Session, CURLOPT_WRITEFUNCTION, &OnBody);
  s.Set(SetupStep::Session, CURLOPT_WRITEDATA, static_cast<void*>(&transfer));
  s.Set(SetupStep::Session, CURLOPT_XFERINFOFUNCTION, &OnProgress);
  s.Set(SetupStep::Session, CURLOPT_XFERINFODATA, static_cast<void*>(&transfer));
  s.Set(SetupStep::Session, CURLOPT_NOPROGRESS, 0L);
  if (!head) {
    // Refuses an announced length over the cap before reading any of it.
    s.Set(SetupStep::Session, CURLOPT_MAXFILESIZE_LARGE,
          static_cast<curl_off_t>(request.maxBodyBytes));
  }

  s.Set(SetupStep::Timeouts, CURLOPT_CONNECTTIMEOUT_MS,
        static_cast<long>(request.connectTimeout.count()));
  if (request.totalTimeout.count() > 0) {
    s.Set(SetupStep::Timeouts, CURLOPT_TIMEOUT_MS, static_cast<long>(request.totalTimeout.count()));
  }

  // The path goes out as written; the verb and body as the engine chose them.
  s.Set(SetupStep::Request, CURLOPT_URL, request.url.c_str());
  s.Set(SetupStep::Request, CURLOPT_PATH_AS_IS, 1L);
  const char* bodyData = request.body.empty() ? "" : request.body.data();
  const auto bodySize = static_cast<curl_off_t>(request.body.size());
  if (request.verb == "GET" && !request.sendBody) {
    s.Set(SetupStep::Request, CURLOPT_HTTPGET, 1L);
  } else if (request.sendBody) {
    s.Set(SetupStep::Request, CURLOPT_POSTFIELDSIZE_LARGE, bodySize);
    s.Set(SetupStep::Request, CURLOPT_POSTFIELDS, bodyData);
  } else {
    s.Set(SetupStep::Request, CURLOPT_HTTPGET, 1L);
  }
  // libcurl's own HEAD (NOBODY) would drop the request body, so HEAD is a
  // named verb here and the transfer stops at the end of the header block.
  if (request.verb != "GET" && request.verb != "POST") {
    s.Set(SetupStep::Request, CURLOPT_CUSTOMREQUEST, request.verb.c_str());
  } else if (request.verb == "GET" && request.sendBody) {
    s.Set(SetupStep::Request, CURLOPT_CUSTOMREQUEST, "GET");
  }

  if (!request.userName.empty() && !request.password.empty()) {
    s.Set(SetupStep::Credentials, CURLOPT_USERNAME, request.userName.c_str());
    s.Set(SetupStep::Credentials, CURLOPT_PASSWORD, request.password.c_str());
    s.Set(SetupStep::Credentials, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
  }
  if (!request.proxyUserName.empty() && !request.proxyPassword.empty()) {
    s.Set(SetupStep::Credentials, CURLOPT_PROXYUSERNAME, request.proxyUserName.c_str());
    s.Set(SetupStep::Credentials, CURLOPT_PROXYPASSWORD, request.proxyPassword.c_str());
    s.Set(SetupStep::Credentials, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC));
  }

  // A refused certificate fails the exchange before any byte of the request
  // is sent, like a server that cannot be reached.
  if (s.ok() && !ApplyTlsOptions(easy)) s.Fail(SetupStep::Security);

  // A HEAD ends at its header block, so its redirects are followed here below.
  s.Set(SetupStep::Redirects, CURLOPT_FOLLOWLOCATION, request.followRedirects && !head ? 1L : 0L);
  s.Set(SetupStep::Redirects, CURLOPT_MAXREDIRS, static_cast<long>(kMaxRedirects));

  bool listOk = false;
  const auto headerList = HeaderList(request, listOk);
  if (!listOk) s.Fail(SetupStep::Headers);
  s.Set(SetupStep::Headers, CURLOPT_HTTPHEADER, headerList.get());
  if (!request.userAgent.empty() && !HasLineNamed(request.headerLines, "User-Agent")) {
    s.Set(SetupStep::Headers, CURLOPT_USERAGENT, request.userAgent.c_str());
  }
  if (!s.ok()) return result;

  const auto started = Clock::now();
  std::string url = request.url;
  const std::string firstOrigin = Origin(url);
  Outcome outcome;
  bool tooManyRedirects = false;
  for (int hop = 0;; ++hop) {
    outcome = Perform(easy, transfer);
    const int status = StatusCode(transfer.block);
    const bool headEnded = outcome.finished && transfer.stoppedAtHeaderEnd &&
                           (outcome.code == CURLE_OK || outcome.code == CURLE_WRITE_ERROR);
    if (!head || !headEnded || !request.followRedirects || !IsRedirect(status)) break;
    const std::string location = HeaderOf(transfer.block, "Location");
    if (location.empty()) break;
    if (hop == kMaxRedirects) {
      tooManyRedirects = true;
      break;
    }
    url = ResolveReference(url, location);
    if (url.empty()) break;
    transfer.block.clear();
    transfer.blockDone = false;
    transfer.stoppedAtHeaderEnd = false;
    // 301, 302 and 303 turn the request into one without a body; credentials
    // stay with the server they were given for.
    bool ok = curl_easy_setopt(easy, CURLOPT_URL, url.c_str()) == CURLE_OK;
    if (status == 301 || status == 302 || status == 303) {
      ok = ok && curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L) == CURLE_OK &&
           curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, "HEAD") == CURLE_OK;
    }
    if (Origin(url) != firstOrigin) {
      ok = ok && curl_easy_setopt(easy, CURLOPT_USERNAME, nullptr) == CURLE_OK &&
           curl_easy_setopt(easy, CURLOPT_PASSWORD, nullptr) == CURLE_OK;
    }
    if (request.totalTimeout.count() > 0) {
      const auto left = request.totalTimeout -
                        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
      ok = ok && left.count() > 0 &&
           curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(left.count())) == CURLE_OK;
    }
    if (!ok) {
      outcome = {true, CURLE_OPERATION_TIMEDOUT};
      break;
    }
  }

  const bool headersComplete = transfer.blockDone && StatusCode(transfer.block) >= 200;
  if (headersComplete) {
    result.gotHeaders = true;
    result.headers = std::move(transfer.block);
  }
  const bool clean = outcome.finished &&
                     (outcome.code == CURLE_OK ||
                      (transfer.stoppedAtHeaderEnd && outcome.code == CURLE_WRITE_ERROR));
  if (clean && headersComplete && !tooManyRedirects) {
    result.stage = ExchangeStage::Done;
  } else if (outcome.finished && IsSendFailure(outcome.code)) {
    result.stage = ExchangeStage::Send;
  } else if (tooManyRedirects || (outcome.finished && outcome.code == CURLE_TOO_MANY_REDIRECTS)) {
    result.stage = ExchangeStage::Response;
  } else if (outcome.finished && outcome.code == CURLE_FILESIZE_EXCEEDED) {
    result.stage = ExchangeStage::Body;  // refused on its announced length
  } else if (headersComplete) {
    result.stage = ExchangeStage::Body;
  } else {
    long requestSize = 0;
    curl_easy_getinfo(easy, CURLINFO_REQUEST_SIZE, &requestSize);
    result.stage = requestSize > 0 || !transfer.block.empty() ? ExchangeStage::Response
                                                              : ExchangeStage::Send;
  }
  if (result.stage != ExchangeStage::Done && LogEnabled()) {
    static constexpr const char* kStages[] = {"setup", "send", "response", "body", "done"};
    const bool cancelled = request.cancel != nullptr && request.cancel->Cancelled();
    DevLog(LogArea::kNet, request.verb + " " + url + ": failed at the " +
                              kStages[static_cast<int>(result.stage)] + " (" +
                              (cancelled            ? std::string("cancelled")
                               : errorText[0] != '\0' ? std::string(errorText)
                                                      : std::string(curl_easy_strerror(outcome.code))) +
                              ")");
  }
  return result;
}

}  // namespace larkbay::net_detail
