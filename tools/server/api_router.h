#pragma once
// Routes an opened gateway request to the API script it names and gives the
// answer as it goes on the wire.

#include <filesystem>
#include <string>
#include <string_view>

#include "catalogue.h"
#include "fault_set.h"
#include "file_digests.h"
#include "gateway_envelope.h"

namespace larkbay::server {

struct ApiContext {
  const Catalogue* catalogue = nullptr;
  FileDigests* digests = nullptr;
  std::filesystem::path downloadsDir;  // Update.exe, lark-bay, Enginepack, cef.pak.md5
  std::string mainVersion;             // Program.Main.version
  FaultSet faults;
};

struct ApiAnswer {
  int status = 200;
  std::string body;  // exactly what goes on the wire
};

// `base` is the server's own address as the client reached it ("http://host:port"),
// for the addresses the documents carry.
ApiAnswer RouteApi(const GatewayRequest& request, const ApiContext& context, std::string_view base);

}  // namespace larkbay::server
