#include "hostile_gateway.h"

#include <array>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

#include "api_documents.h"
#include "api_router.h"
#include "catalogue.h"
#include "file_digests.h"
#include "form_data.h"
#include "gateway_envelope.h"
#include "services/signature/release_signature.h"
#include "services/text/text_helpers.h"

namespace larkbay::hostile {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using larkbay::testing::LoopbackServer;

constexpr std::string_view kGateway = "/server_to_get.php";
constexpr std::string_view kApiRoot = "/Lark-Bay/Tool/Api/";

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string DateLine() {
  return "Date: " + FormatHttpDate(static_cast<std::int64_t>(std::time(nullptr)));
}

// The document a gateway request asks for.
Doc Classify(std::string_view path, const server::FormFields& form) {
  if (path.starts_with('/')) path.remove_prefix(1);
  if (path.starts_with(kApiRoot.substr(1))) path.remove_prefix(kApiRoot.size() - 1);
  if (path == "Config/program_Config.php")
    return server::FormValue(form, "file_name") == "_MuiscList.json" ? Doc::kMusicList
                                                                      : Doc::kConfig;
  if (path == "Config/up-file-path.php") {
    const std::string which = server::FormValue(form, "fileName");
    return which == "Main" ? Doc::kMainPath : which == "Engine" ? Doc::kEnginePath : Doc::kUpdataPath;
  }
  if (path.starts_with("Music/dj/"))
    return path.ends_with("/get_url.php") ? Doc::kDjUrl : Doc::kDjSearch;
  const std::string type = server::FormValue(form, "type");
  return type == "Songurl" ? Doc::kSongUrl : type == "MVurl" ? Doc::kMvUrl : Doc::kSongSearch;
}

std::string Head(int status, std::string_view reason, const std::vector<std::string>& lines) {
  std::string head = "HTTP/1.1 " + std::to_string(status) + " " + std::string(reason) + "\r\n";
  for (const std::string& line : lines) head += line + "\r\n";
  return head;
}

std::string Reason(int status) {
  switch (status) {
    case 200: return "OK";
    case 302: return "Found";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
  }
}

}  // namespace

std::string_view DocName(Doc doc) {
  static constexpr std::array<std::string_view, 13> kNames = {
      "program_Config.json", "_MuiscList.json", "up-file-path Updata", "up-file-path Main",
      "up-file-path Engine", "song search",     "Songurl",             "MVurl",
      "DJ search",           "get_url.php",     "gateway Date",        "media download",
      "pack download"};
  return kNames[static_cast<size_t>(doc)];
}

Answer Http(int status, std::string body, std::vector<std::string> lines) {
  lines.insert(lines.begin(), DateLine());
  return Answer::Http(std::to_string(status) + " " + Reason(status), std::move(lines),
                      std::move(body));
}

Answer LyingLength(std::string body, std::size_t announced) {
  return Answer::Raw(Head(200, "OK",
                          {DateLine(), "Content-Type: application/octet-stream",
                           "Content-Length: " + std::to_string(announced), "Connection: close"}) +
                     "\r\n" + body);
}

Answer ResetMidBody(std::string body, std::size_t announced) {
  Answer answer = Answer::Raw(
      Head(200, "OK",
           {DateLine(), "Content-Length: " + std::to_string(announced), "Connection: close"}) +
      "\r\n" + body.substr(0, body.size() / 2));
  // Let the first half arrive before the connection dies.
  answer.Then(100ms, {});
  answer.reset = true;
  return answer;
}

Answer EndlessBody() {
  Answer answer = Answer::Raw(
      Head(200, "OK", {DateLine(), "Transfer-Encoding: chunked", "Connection: close"}) + "\r\n");
  // 4 KB every 100 ms for ten minutes: no client waits that long, and none
  // may keep it all.
  const std::string piece(4096, 'A');
  std::string chunk = "1000\r\n" + piece + "\r\n";
  for (int i = 0; i < 6000; ++i) answer.Then(100ms, chunk);
  answer.holdOpen = true;
  return answer;
}

Answer RedirectTo(std::string location) {
  return Answer::Raw(Head(302, "Found",
                          {DateLine(), "Location: " + location, "Content-Length: 0",
                           "Connection: close"}) +
                     "\r\n");
}

struct HostileGateway::Impl {
  fs::path downloads;
  server::Catalogue catalogue;
  server::FileDigests digests;
  server::ApiContext api;
  fs::path media = LARKBAY_TEST_MEDIA;
  mutable std::mutex mutex;
  std::map<Doc, Script> scripts;
  std::map<Doc, int> hits;
  LoopbackServer server;
};

HostileGateway::HostileGateway(std::filesystem::path downloads) : impl_(std::make_unique<Impl>()) {
  impl_->downloads = std::move(downloads);
  std::string error;
  if (!server::LoadCatalogue(LARKBAY_SERVER_DATA, impl_->catalogue, error))
    throw std::runtime_error("catalogue: " + error);
  impl_->api.catalogue = &impl_->catalogue;
  impl_->api.digests = &impl_->digests;
  impl_->api.downloadsDir = impl_->downloads;
  impl_->api.mainVersion = impl_->catalogue.mainVersion;
  impl_->server.KeepRequests(false);
  impl_->server.Fallback([this](const RecordedRequest& request) { return Handle(request); });
}

HostileGateway::~HostileGateway() { impl_->server.Stop(); }

void HostileGateway::Set(Doc doc, Script script) {
  std::lock_guard lock(impl_->mutex);
  impl_->scripts[doc] = std::move(script);
}

void HostileGateway::Clear() {
  std::lock_guard lock(impl_->mutex);
  impl_->scripts.clear();
}

int HostileGateway::Hits(Doc doc) const {
  std::lock_guard lock(impl_->mutex);
  const auto it = impl_->hits.find(doc);
  return it == impl_->hits.end() ? 0 : it->second;
}

std::string HostileGateway::Base() const { return impl_->server.Base(); }
int HostileGateway::Port() const { return impl_->server.Port(); }

std::string HostileGateway::ConfigDocument() const {
  return server::ProgramConfigDocument(impl_->api);
}

std::string HostileGateway::Seal(std::string_view text) { return server::SealGatewayAnswer(text); }

std::string HostileGateway::SealDocument(std::string_view document) {
  return server::SealGatewayAnswer(
      PercentEncode(server::DocumentStamp(document) + std::string(document)));
}

Answer HostileGateway::Handle(const RecordedRequest& request) {
  std::string target = request.target;
  Doc doc = Doc::kMedia;
  Normal normal;
  bool gateway = false;
  if (target == kGateway) {
    if (request.method != "POST") {
      doc = Doc::kClock;
      normal.wire = Head(200, "OK", {DateLine(), "Content-Length: 0", "Connection: close"}) + "\r\n";
    } else {
      gateway = true;
      // The clock window is not checked: a case with a broken Date makes the
      // client send its own clock, and the documents behind must still come.
      const server::GatewayRequest opened =
          server::OpenGatewayRequest(request.body, 0, std::int64_t{1} << 40);
      if (opened.status != server::GatewayStatus::kOk) {
        return Http(400, server::GatewayRefusal(opened.status));
      }
      const server::FormFields form = server::ParseFormData(opened.data);
      doc = Classify(opened.path, form);
      const server::ApiAnswer answer = server::RouteApi(opened, impl_->api, Base());
      normal.status = answer.status;
      normal.wire = answer.body;
      // The sealed text as it opens (for the configuration and the list:
      // the percent-encoded stamp and document).
      normal.document = Base64Decode(SwapLetterCase(answer.body));
    }
  } else if (target.starts_with("/media/")) {
    doc = Doc::kMedia;
    normal.document = ReadBytes(impl_->media / target.substr(7));
    if (normal.document.empty()) normal.status = 404;
  } else if (target.starts_with("/go/") || target.starts_with("/download/")) {
    doc = Doc::kPack;
    const std::string file = target.substr(target.find('/', 1) + 1);
    if (target.starts_with("/go/")) {
      normal.status = 302;
      normal.wire = Base() + "/download/" + file;
    } else {
      normal.document = ReadBytes(impl_->downloads / file);
      if (normal.document.empty()) normal.status = 404;
    }
  } else {
    normal.status = 404;
  }

  Script script;
  {
    std::lock_guard lock(impl_->mutex);
    ++impl_->hits[doc];
    const auto it = impl_->scripts.find(doc);
    if (it != impl_->scripts.end()) script = it->second;
  }
  if (script) return script(request, normal);

  if (gateway) return Http(normal.status, normal.wire, {"Content-Type: text/plain; charset=utf-8"});
  if (doc == Doc::kClock) return Answer::Raw(normal.wire);
  if (normal.status == 302) return RedirectTo(normal.wire);
  if (normal.status != 200) return Http(404, "Not Found");
  if (request.method == "HEAD") {
    return Answer::Raw(Head(200, "OK",
                            {DateLine(), "Content-Type: application/octet-stream",
                             "Content-Length: " + std::to_string(normal.document.size()),
                             "Connection: close"}) +
                       "\r\n");
  }
  return Http(200, normal.document, {"Content-Type: application/octet-stream"});
}

}  // namespace larkbay::hostile
