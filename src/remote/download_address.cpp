#include "remote/download_address.h"

#include "net/inet_request.h"
#include "net/server_request.h"
#include "remote/remote_paths.h"
#include "services/json/json_object.h"

namespace larkbay {

std::vector<std::string> DownloadAddresses(ServerClient& server, std::string_view fileName,
                                           CancelToken* cancel) {
  const std::string data = "fileName=" + std::string(fileName);
  JsonObject answer;
  if (!answer.Parse(server.ServerRequest(kDownloadAddressScript, data, 1, 1, cancel))) return {};
  std::vector<std::string> addresses;
  const int count = answer.GetCount("");
  for (int i = 0; i < count; ++i) addresses.push_back(answer.GetItemText(i, ""));
  return addresses;
}

std::string ChooseDownloadAddress(ServerClient& server, std::string_view fileName,
                                  CancelToken* cancel) {
  const std::vector<std::string> addresses = DownloadAddresses(server, fileName, cancel);
  for (std::size_t i = 0; i < addresses.size() && i < kMaxTriedAddresses; ++i) {
    std::string resolved = ResolveDownloadUrl(addresses[i], cancel);
    if (!resolved.empty()) return resolved;
  }
  return {};
}

}  // namespace larkbay
