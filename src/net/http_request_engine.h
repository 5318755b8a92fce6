#pragma once
// One complete HTTP or HTTPS exchange with the gateway-side header rules:
// default header lines, cookies, redirects, the raw response header block, and
// HTML bodies turned into the program's text by their declared character set.
// Nothing survives between calls.

#include <chrono>
#include <string>
#include <string_view>

#include "services/text/text_helpers.h"

namespace larkbay {

class CancelToken;

// Verbs by index; any other index means GET.
inline constexpr const char* kHttpVerbs[] = {"GET",     "POST",   "HEAD",  "PUT",
                                             "OPTIONS", "DELETE", "TRACE", "CONNECT"};

// Failure texts left in `status`.
namespace http_status {
inline constexpr std::string_view kNoPlatform = "700 当前系统不支持WinHttp服务!";
inline constexpr std::string_view kBadUrl = "701 解析URL地址失败!";
inline constexpr std::string_view kNoSession = "702 创建WinHttp会话失败!";
inline constexpr std::string_view kNoConnection = "703 创建WinHttp连接失败!";
inline constexpr std::string_view kNoRequest = "704 创建WinHttp请求失败!";
inline constexpr std::string_view kNoTimeouts = "705 设置超时时间失败!";
inline constexpr std::string_view kNoCredentials = "707 设置代理凭证失败!";
inline constexpr std::string_view kNoSecurityFlags = "忽略错误/证书错误  失败！";
inline constexpr std::string_view kNoCookieOption = "708 禁止自动设置Cookies失败!";
inline constexpr std::string_view kNoRedirectOption = "709 重定向设置失败!";
inline constexpr std::string_view kBadHeaders = "710 设置协议头失败!";
inline constexpr std::string_view kSendFailed = "711 发送请求失败!";
inline constexpr std::string_view kNoResponse = "712 服务器未响应!";
inline constexpr std::string_view kReadFailed = "713 读取数据失败!";
}  // namespace http_status

// The engine's arguments by name. Out pointers may be null; an out value is
// written only when the exchange got that far.
struct HttpRequestArgs {
  std::string_view url;
  int method = 0;
  std::string_view body;
  std::string_view cookies;
  std::string* returnedCookies = nullptr;
  std::string_view extraHeaders;  // lines joined by CR LF
  std::string* responseHeaders = nullptr;
  bool noRedirect = false;
  std::string_view userName;
  std::string_view password;
  std::string_view proxy;  // host:port
  // Bounds name resolution and connecting, and the whole exchange; not
  // positive: 30 seconds.
  std::chrono::milliseconds timeout{30000};
  std::string_view proxyUserName;
  std::string_view proxyPassword;
  std::string* location = nullptr;
  std::string* status = nullptr;  // "200 OK", or one of the failure texts
  Bytes* responseBytes = nullptr;
  bool mergeCookies = true;
  bool addDefaultHeaders = true;
  std::string_view bodyBytes;  // sent instead of `body` when not empty
  bool normaliseHeaderNames = true;
  CancelToken* cancel = nullptr;  // Cancel() from any thread fails the exchange at once
};

// The response body as text; empty after any failure (see `status`). HTTP
// error statuses are not failures.
std::string HttpRequestEngine(const HttpRequestArgs& args);

// The same, with the arguments in their fixed order. `timeoutSeconds` not
// positive means 30 seconds.
std::string HttpRequestEngine(std::string_view url, int method = 0, std::string_view body = {},
                              std::string_view cookies = {},
                              std::string* returnedCookies = nullptr,
                              std::string_view extraHeaders = {},
                              std::string* responseHeaders = nullptr, bool noRedirect = false,
                              std::string_view userName = {}, std::string_view password = {},
                              std::string_view proxy = {}, int timeoutSeconds = 0,
                              std::string_view proxyUserName = {},
                              std::string_view proxyPassword = {}, std::string* location = nullptr,
                              std::string* status = nullptr, Bytes* responseBytes = nullptr,
                              bool mergeCookies = true, bool addDefaultHeaders = true,
                              std::string_view bodyBytes = {}, bool normaliseHeaderNames = true,
                              CancelToken* cancel = nullptr);

// The request header block the engine sends for these arguments, lines joined
// by CR LF (the lines HTTP itself needs are added on the wire).
std::string BuildHttpHeaderBlock(std::string_view extraHeaders, int method,
                                 std::string_view cookies, bool addDefaultHeaders,
                                 bool normaliseHeaderNames);

}  // namespace larkbay
