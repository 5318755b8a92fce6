#include "net/inet_request.h"

#include <algorithm>
#include <utility>

#include "net/curl_exchange.h"
#include "net/header_rules.h"
#include "net/http_request_engine.h"
#include "net/url_parts.h"

namespace larkbay {
namespace {

using net_detail::ExchangeStage;

constexpr int kGet = 0;
constexpr int kPost = 1;
constexpr int kHead = 2;

int VerbIndex(int method) { return method >= 0 && method <= 7 ? method : kGet; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(),
                    [](char a, char b) { return Lower(a) == Lower(b); });
}

bool IsHostName(std::string_view host) {
  return !host.empty() && std::all_of(host.begin(), host.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
  });
}

// The path as the server gets it: bytes a request line cannot carry are
// percent-encoded, everything else goes as written.
std::string WirePath(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : path) {
    if (c <= 0x20 || c >= 0x7F || c == '#') {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// The session's agent: the headers' own User-Agent value when they name one.
std::string AgentFor(std::string_view headers) {
  if (!ContainsNoCase(headers, "User-Agent:")) return std::string(kInetUserAgent);
  std::string withEnd(headers);
  withEnd += "\r\n";
  std::string agent(TrimSpaces(TextBetween(withEnd, "User-Agent:", "\r\n")));
  if (agent.empty()) {
    const size_t colon = headers.find(':');
    agent = TrimSpaces(headers.substr(colon + 1));
  }
  return agent.substr(0, agent.find_first_of(std::string_view("\r\n\0", 3)));
}

int LeadingInt(std::string_view text) {
  text = TrimSpaces(text);
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9' || value > 1'000'000'000'000LL) break;
    value = value * 10 + (c - '0');
  }
  return static_cast<int>(std::min<long long>(value, 2'000'000'000LL));
}

}  // namespace

std::string BuildInetHeaderBlock(std::string_view address, int method, std::string_view cookies,
                                 std::string_view headers, bool completeHeaders,
                                 bool normaliseHeaders) {
  std::string block = normaliseHeaders ? NormaliseHeaderNames(headers) : std::string(headers);
  if (completeHeaders) {
    if (block.empty()) block = "Accept: */*";
    if (!ContainsNoCase(block, "Accept:")) block += "\r\nAccept: */*";
    if (!ContainsNoCase(block, "Referer:")) {
      block += "\r\nReferer: ";
      block += address;
    }
    if (!ContainsNoCase(block, "Accept-Language:")) block += "\r\nAccept-Language: zh-cn";
    if (VerbIndex(method) == kPost && !ContainsNoCase(block, "Content-Type:")) {
      block += "\r\nContent-Type: application/x-www-form-urlencoded";
    }
  }
  if (!cookies.empty()) {
    block += cookies.find("Cookie:") != std::string_view::npos ? "\r\n" : "\r\nCookie: ";
    block += cookies;
  }
  return block;
}

Bytes InetRequest(std::string_view address, int method, std::string_view bodyText,
                  std::string_view cookies, std::string* returnedCookies,
                  std::string_view headers, std::string* returnedHeaders, bool noRedirect,
                  std::string_view byteBody, std::string_view proxy, bool mergeCookies,
                  bool completeHeaders, bool normaliseHeaders, CancelToken* cancel,
                  std::chrono::milliseconds timeout) {
  const int verb = VerbIndex(method);
  const std::string normalised =
      normaliseHeaders ? NormaliseHeaderNames(headers) : std::string(headers);
  const bool secure = StartsWithNoCase(address, "https://");

  const std::string host = UrlHost(address, false);
  const int port = UrlPort(address);
  if (!IsHostName(host) || port <= 0) return {};
  const std::string url = std::string(secure ? "https://" : "http://") + host + ":" +
                          std::to_string(port) + WirePath(UrlPath(address));
  if (!net_detail::IsHttpUrl(url)) return {};

  net_detail::ExchangeRequest request;
  request.url = url;
  request.verb = kHttpVerbs[verb];
  if (verb != kGet) {
    request.body = byteBody.empty() ? bodyText : byteBody;
    request.sendBody = !request.body.empty() || verb == kPost;
  }
  request.userAgent = AgentFor(normalised);
  request.followRedirects = !noRedirect;
  request.proxy = proxy;
  request.connectTimeout = timeout;
  request.stallTimeout = timeout;
  request.cancel = cancel;

  const std::string block =
      BuildInetHeaderBlock(address, verb, cookies, normalised, completeHeaders, false);
  bool sendable = true;
  for (std::string_view line : SplitHeaderLines(block)) {
    if (line.empty()) continue;
    if (line.find(':') == std::string_view::npos ||
        line.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
      sendable = false;
      break;
    }
    request.headerLines.emplace_back(line);
  }

  net_detail::ExchangeResult result;
  if (sendable) {
    result = net_detail::RunExchange(request);
    // A handle that could not be made never reached the network.
    if (result.stage == ExchangeStage::Setup) return {};
  }
  std::string cookiesSet = CollectSetCookies(result.headers);
  if (mergeCookies && !cookies.empty()) cookiesSet = MergeCookies(cookies, cookiesSet);
  if (returnedCookies != nullptr) *returnedCookies = std::move(cookiesSet);
  if (returnedHeaders != nullptr) *returnedHeaders = result.headers;
  // Only a body that came whole is a body: a cut file is no file.
  if (result.stage != ExchangeStage::Done) return {};
  return std::move(result.body);
}

std::string ResolveDownloadUrl(std::string_view address, CancelToken* cancel,
                               std::chrono::milliseconds timeout) {
  std::string current(address);
  for (int hop = 0; hop <= kMaxDownloadRedirects; ++hop) {
    std::string headers;
    InetRequest(current, kHead, {}, {}, nullptr, {}, &headers, true, {}, {}, true, true, true,
                cancel, timeout);
    const int status = LeadingInt(TextBetween(headers, " ", " "));
    if (status == 200) {
      return LeadingInt(HeaderValue(headers, "Content-Length")) >= 1 ? current : std::string();
    }
    if (status != 301 && status != 302) return {};
    const std::string location(TrimSpaces(HeaderValue(headers, "Location")));
    if (location.empty()) return {};
    if (StartsWithNoCase(location, "http://") || StartsWithNoCase(location, "https://")) {
      current = location;
    } else {
      // A relative Location is taken relative to the address that sent it.
      const std::string base =
          StartsWithNoCase(current, "http://") || StartsWithNoCase(current, "https://")
              ? current
              : "http://" + current;
      current = net_detail::ResolveReference(base, location);
      if (current.empty()) return {};
    }
  }
  return {};
}

}  // namespace larkbay
