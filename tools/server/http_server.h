#pragma once
// The HTTP face of the server: the gateway, the files and the request log.

#include <cstdint>
#include <string>

#include "api_router.h"
#include "catalogue.h"
#include "file_digests.h"
#include "server_options.h"

namespace httplib {
class Server;
}

namespace larkbay::server {

struct ServerRuntime {
  ServerOptions options;
  Catalogue catalogue;
  FileDigests digests;
  ApiContext api;                      // points into catalogue and digests
  std::filesystem::path ownAssets;     // <data>/www: our player script, style sheet, pictures
  std::filesystem::path vendorAssets;  // <vendor>/www: the npm player scripts
  int boundPort = 0;
};

void InstallRoutes(httplib::Server& server, ServerRuntime& runtime);

}  // namespace larkbay::server
