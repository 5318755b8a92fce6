#pragma once
// One HTTP exchange on a libcurl easy handle, the common ground of both request
// engines. The engines decide the verb, the exact header lines and the body;
// libcurl adds only what HTTP needs (request line, Host, Content-Length, and
// the credentials and proxy lines it is asked for). Internal to larkbay_net.

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace larkbay {

class CancelToken;

namespace net_detail {

// The most body an engine holds in memory; more is a failed read.
inline constexpr std::size_t kMaxHeldBody = std::size_t{256} << 20;
// The most response header bytes kept for one response.
inline constexpr std::size_t kMaxHeaderBlock = std::size_t{1} << 20;
// Redirects followed within one exchange.
inline constexpr int kMaxRedirects = 10;

// Where an exchange stopped.
enum class ExchangeStage {
  Setup,     // the handle or one of its settings could not be made
  Send,      // name, connection or sending failed: no request reached the server
  Response,  // the request went out but no complete response header block came
  Body,      // the header block came but the body could not be read whole
  Done,
};

// Which setting failed, for engines that report each one by name.
enum class SetupStep { Library, Session, Timeouts, Request, Credentials, Security, Redirects, Headers };

struct ExchangeRequest {
  std::string url;    // absolute http or https URL
  std::string verb;   // GET, POST, HEAD, ...
  std::string_view body;
  bool sendBody = false;  // with a Content-Length, even for an empty body
  std::vector<std::string> headerLines;  // exact lines, without CR LF, each with a ":"
  std::string userAgent;                 // sent only when no header line names one
  bool followRedirects = true;
  std::string proxy;  // host:port, or empty for a direct connection
  std::string userName, password;            // Basic, when both are given
  std::string proxyUserName, proxyPassword;  // Basic, when both are given
  std::chrono::milliseconds connectTimeout{30000};
  std::chrono::milliseconds totalTimeout{0};  // the whole exchange; 0: none
  std::chrono::milliseconds stallTimeout{0};  // no byte moving for this long; 0: none
  CancelToken* cancel = nullptr;
  std::size_t maxBodyBytes = kMaxHeldBody;
};

struct ExchangeResult {
  ExchangeStage stage = ExchangeStage::Setup;
  SetupStep failedSetting = SetupStep::Library;
  bool gotHeaders = false;  // `headers` holds a whole block
  std::string headers;      // the last response's block: status line first, CR LF lines, empty line
  std::string body;
};

ExchangeResult RunExchange(const ExchangeRequest& request);

// False when the HTTP library could not be started.
bool HttpLibraryReady();

// True when curl's URL parser takes `url` as an http or https URL with a host.
bool IsHttpUrl(std::string_view url);

// `reference` (a Location value) resolved against the absolute `base`; empty
// when either cannot be read as a URL.
std::string ResolveReference(std::string_view base, std::string_view reference);

}  // namespace net_detail
}  // namespace larkbay
