#include "http_server.h"

#include <httplib.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <thread>

#include "file_routes.h"
#include "gateway_envelope.h"
#include "services/text/text_helpers.h"

namespace larkbay::server {
namespace {

constexpr char kGateway[] = "/server_to_get.php";

// What the log line adds for a gateway request; set by the handler, read by
// the logger, which httplib runs on the same worker thread right after it.
thread_local std::string tLogNote;

std::int64_t ServerNow(const ServerOptions& options) {
  return static_cast<std::int64_t>(std::time(nullptr)) + options.clockSkew;
}

// The address the documents carry: the one the client used to reach us.
std::string BaseFor(const httplib::Request& request, const ServerRuntime& runtime) {
  if (!runtime.options.publicBase.empty()) return runtime.options.publicBase;
  const std::string host = request.get_header_value("Host");
  const std::string scheme = runtime.options.Scheme() + "://";
  if (!host.empty()) return scheme + host;
  return scheme + runtime.options.host + ":" + std::to_string(runtime.boundPort);
}

void SlowDown(const ServerOptions& options) {
  if (options.faults.Has(Fault::kSlow))
    std::this_thread::sleep_for(std::chrono::milliseconds(options.slowMs));
}

void HandleGateway(const httplib::Request& request, httplib::Response& response,
                   const ServerRuntime& runtime) {
  const ServerOptions& options = runtime.options;
  SlowDown(options);
  if (options.faults.Has(Fault::kHttp500)) {
    response.status = 500;
    response.set_content(
        "<html><head><title>500 Internal Server Error</title></head><body>"
        "<h1>Internal Server Error</h1><p>lark-bay-server was asked to fail.</p></body></html>",
        "text/html; charset=utf-8");
    tLogNote = "fault=http500";
    return;
  }
  const GatewayRequest opened =
      OpenGatewayRequest(request.body, ServerNow(options), options.clockWindow);
  if (opened.status != GatewayStatus::kOk) {
    response.status = opened.status == GatewayStatus::kMalformed ? 400 : 403;
    response.set_content(GatewayRefusal(opened.status), "text/plain; charset=utf-8");
    tLogNote = GatewayRefusal(opened.status);
    return;
  }
  const ApiAnswer answer = RouteApi(opened, runtime.api, BaseFor(request, runtime));
  tLogNote = "api=" + opened.path + (opened.data.empty() ? "" : " data=" + opened.data);
  response.status = answer.status;
  if (options.faults.Has(Fault::kDrop)) {
    response.set_content_provider(std::max<size_t>(answer.body.size(), 1),
                                  "text/plain; charset=utf-8",
                                  [](size_t, size_t, httplib::DataSink&) { return false; });
    return;
  }
  response.set_content(answer.body, "text/plain; charset=utf-8");
}

void ServeFrom(const httplib::Request& request, httplib::Response& response,
               const ServerRuntime& runtime,
               std::initializer_list<const std::filesystem::path*> roots, std::int64_t rate = 0) {
  const std::string relative = request.matches[1];
  for (const std::filesystem::path* root : roots) {
    std::filesystem::path file;
    if (FileUnder(*root, relative, file)) {
      SlowDown(runtime.options);
      ServeFile(request, response, file, runtime.options.faults, rate);
      return;
    }
  }
  response.status = 404;
  response.set_content("Not Found", "text/plain");
}

void LogRequest(const httplib::Request& request, const httplib::Response& response) {
  static std::mutex mutex;
  std::string length = response.get_header_value("Content-Length");
  if (length.empty()) length = response.has_header("Transfer-Encoding") ? "chunked" : "-";
  std::lock_guard lock(mutex);
  std::printf("%s %s %s %d %s%s%s\n", request.remote_addr.c_str(), request.method.c_str(),
              request.path.c_str(), response.status, length.c_str(), tLogNote.empty() ? "" : " ",
              tLogNote.c_str());
  std::fflush(stdout);
  tLogNote.clear();
}

}  // namespace

void InstallRoutes(httplib::Server& server, ServerRuntime& runtime) {
  const ServerRuntime* rt = &runtime;
  server.Post(kGateway, [rt](const httplib::Request& request, httplib::Response& response) {
    HandleGateway(request, response, *rt);
  });
  // GET and HEAD: the client measures the server clock from the Date header.
  server.Get(kGateway, [](const httplib::Request& request, httplib::Response& response) {
    response.set_content("lark-bay-server gateway: POST the request envelope here\n", "text/plain");
    // The clock probe is a HEAD that carries a body, which is left unread:
    // the connection cannot carry another request after it.
    if (request.has_header("Content-Length") || request.has_header("Transfer-Encoding")) {
      response.set_header("Connection", "close");
    }
  });
  server.Get("/go/(.+)", [rt](const httplib::Request& request, httplib::Response& response) {
    response.set_redirect(BaseFor(request, *rt) + "/download/" + std::string(request.matches[1]),
                          302);
  });
  server.Get("/download/(.+)", [rt](const httplib::Request& request, httplib::Response& response) {
    ServeFrom(request, response, *rt, {&rt->options.downloads});
  });
  server.Get("/media/(.+)", [rt](const httplib::Request& request, httplib::Response& response) {
    ServeFrom(request, response, *rt, {&rt->options.media}, rt->options.mediaRate);
  });
  runtime.ownAssets = runtime.options.data / "www";
  runtime.vendorAssets = runtime.options.vendor / "www";
  server.Get("/(.*)", [rt](const httplib::Request& request, httplib::Response& response) {
    ServeFrom(request, response, *rt, {&rt->ownAssets, &rt->vendorAssets});
  });
  server.set_post_routing_handler([rt](const httplib::Request&, httplib::Response& response) {
    response.set_header("Date", FormatHttpDate(ServerNow(rt->options)));
  });
  server.set_logger(LogRequest);
}

}  // namespace larkbay::server
