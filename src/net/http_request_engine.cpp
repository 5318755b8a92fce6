#include "net/http_request_engine.h"

#include <utility>

#include "net/curl_exchange.h"
#include "net/header_rules.h"
#include "net/html_charset.h"

namespace larkbay {
namespace {

using net_detail::ExchangeStage;
using net_detail::SetupStep;

struct DefaultLine {
  std::string_view probe;
  std::string_view line;
  bool postOnly;
};

constexpr DefaultLine kDefaultLines[] = {
    {"User-Agent: ",
     "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)", false},
    {"Accept: ", "Accept: text/html, application/xhtml+xml, */*", false},
    {"Accept-Encoding: ", "Accept-Encoding: gbk, GB2312", false},
    {"Accept-Language: ", "Accept-Language: zh-cn", false},
    {"Content-Type:", "Content-Type: application/x-www-form-urlencoded", true},
    {"Cache-Control: ", "Cache-Control: no-cache", false},
};

constexpr int kPost = 1;

int VerbIndex(int method) { return method >= 0 && method <= 7 ? method : 0; }

std::string_view SetupFailureText(SetupStep step) {
  switch (step) {
    case SetupStep::Library: return http_status::kNoPlatform;
    case SetupStep::Session: return http_status::kNoSession;
    case SetupStep::Timeouts: return http_status::kNoTimeouts;
    case SetupStep::Request: return http_status::kNoRequest;
    case SetupStep::Credentials: return http_status::kNoCredentials;
    case SetupStep::Security: return http_status::kNoSecurityFlags;
    case SetupStep::Redirects: return http_status::kNoRedirectOption;
    case SetupStep::Headers: return http_status::kBadHeaders;
  }
  return http_status::kNoSession;
}

void RemoveAll(std::string& text, std::string_view piece) {
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at)) {
    text.erase(at, piece.size());
  }
}

// The block as lines for the wire; false when a line cannot be sent as a
// header (no ":", or a stray CR, LF or NUL that would split it).
bool WireLines(std::string_view block, std::vector<std::string>& lines) {
  for (std::string_view line : SplitHeaderLines(block)) {
    if (line.empty()) continue;
    if (line.find(':') == std::string_view::npos ||
        line.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
      return false;
    }
    lines.emplace_back(line);
  }
  return true;
}

template <typename T>
void Put(T* out, T value) {
  if (out != nullptr) *out = std::move(value);
}

// Location, Set-Cookie and the merged cookie list from the response block.
void ReadResponseHeaders(const HttpRequestArgs& args, const std::string& block) {
  if (args.location != nullptr) {
    for (std::string_view line : SplitHeaderLines(block)) {
      if (line.size() >= 10 && ContainsNoCase(line.substr(0, 10), "Location: ")) {
        *args.location = line.substr(10);
      }
    }
  }
  std::string cookies = CollectSetCookies(block);
  if (args.mergeCookies && !args.cookies.empty()) cookies = MergeCookies(args.cookies, cookies);
  Put(args.returnedCookies, std::move(cookies));
  Put(args.responseHeaders, block);
}

}  // namespace

std::string BuildHttpHeaderBlock(std::string_view extraHeaders, int method,
                                 std::string_view cookies, bool addDefaultHeaders,
                                 bool normaliseHeaderNames) {
  std::string block;
  if (!extraHeaders.empty()) {
    block = extraHeaders;
    block += "\r\n";
  }
  if (addDefaultHeaders) {
    for (const DefaultLine& row : kDefaultLines) {
      if (row.postOnly && VerbIndex(method) != kPost) continue;
      if (ContainsNoCase(block, row.probe)) continue;
      block += row.line;
      block += "\r\n";
    }
  }
  if (normaliseHeaderNames) block = NormaliseHeaderNames(block);
  if (block.find("Connection") != std::string::npos && HeaderValue(block, "Connection") == "keep-alive") {
    RemoveAll(block, "Connection: keep-alive\r\n");
  }
  if (!cookies.empty() && !ContainsNoCase(block, "Cookie:")) {
    block += ContainsNoCase(cookies, "Cookie:") ? "\r\n" : "\r\nCookie: ";
    block += cookies;
    block += "\r\n";
  }
  return block;
}

std::string HttpRequestEngine(const HttpRequestArgs& args) {
  const auto fail = [&](std::string_view text) {
    Put(args.status, std::string(text));
    return std::string();
  };
  if (!net_detail::HttpLibraryReady()) return fail(http_status::kNoPlatform);
  if (!net_detail::IsHttpUrl(args.url)) return fail(http_status::kBadUrl);

  const int verb = VerbIndex(args.method);
  net_detail::ExchangeRequest request;
  request.url = args.url;
  request.verb = kHttpVerbs[verb];
  request.body = args.bodyBytes.empty() ? args.body : args.bodyBytes;
  request.sendBody = !request.body.empty() || verb == kPost;
  request.followRedirects = !args.noRedirect;
  request.proxy = args.proxy;
  request.userName = args.userName;
  request.password = args.password;
  request.proxyUserName = args.proxyUserName;
  request.proxyPassword = args.proxyPassword;
  const auto timeout = args.timeout.count() > 0 ? args.timeout : std::chrono::milliseconds(30000);
  request.connectTimeout = timeout;
  request.totalTimeout = timeout;
  request.cancel = args.cancel;
  const std::string block = BuildHttpHeaderBlock(args.extraHeaders, verb, args.cookies,
                                                 args.addDefaultHeaders, args.normaliseHeaderNames);
  if (!WireLines(block, request.headerLines)) return fail(http_status::kBadHeaders);

  net_detail::ExchangeResult result = net_detail::RunExchange(request);
  switch (result.stage) {
    case ExchangeStage::Setup: return fail(SetupFailureText(result.failedSetting));
    case ExchangeStage::Send: return fail(http_status::kSendFailed);
    case ExchangeStage::Response: return fail(http_status::kNoResponse);
    case ExchangeStage::Body:
      // The header block came, so it is handed out; a body that did not come
      // whole is no answer.
      if (result.gotHeaders) ReadResponseHeaders(args, result.headers);
      return fail(http_status::kReadFailed);
    case ExchangeStage::Done: break;
  }

  ReadResponseHeaders(args, result.headers);
  const std::string_view statusLine =
      std::string_view(result.headers).substr(0, result.headers.find("\r\n"));
  Put(args.status, std::string(statusLine.size() > 9 ? statusLine.substr(9) : std::string_view()));
  std::string text = BodyToText(result.body);
  Put(args.responseBytes, std::move(result.body));
  return text;
}

std::string HttpRequestEngine(std::string_view url, int method, std::string_view body,
                              std::string_view cookies, std::string* returnedCookies,
                              std::string_view extraHeaders, std::string* responseHeaders,
                              bool noRedirect, std::string_view userName, std::string_view password,
                              std::string_view proxy, int timeoutSeconds,
                              std::string_view proxyUserName, std::string_view proxyPassword,
                              std::string* location, std::string* status, Bytes* responseBytes,
                              bool mergeCookies, bool addDefaultHeaders, std::string_view bodyBytes,
                              bool normaliseHeaderNames, CancelToken* cancel) {
  HttpRequestArgs args;
  args.url = url;
  args.method = method;
  args.body = body;
  args.cookies = cookies;
  args.returnedCookies = returnedCookies;
  args.extraHeaders = extraHeaders;
  args.responseHeaders = responseHeaders;
  args.noRedirect = noRedirect;
  args.userName = userName;
  args.password = password;
  args.proxy = proxy;
  args.timeout = std::chrono::seconds(timeoutSeconds > 0 ? timeoutSeconds : 30);
  args.proxyUserName = proxyUserName;
  args.proxyPassword = proxyPassword;
  args.location = location;
  args.status = status;
  args.responseBytes = responseBytes;
  args.mergeCookies = mergeCookies;
  args.addDefaultHeaders = addDefaultHeaders;
  args.bodyBytes = bodyBytes;
  args.normaliseHeaderNames = normaliseHeaderNames;
  args.cancel = cancel;
  return HttpRequestEngine(args);
}

}  // namespace larkbay
