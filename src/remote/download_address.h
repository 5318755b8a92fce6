#pragma once
// The download addresses the server hands out for one of its files ("Updata",
// "Main", "Engine"), and the choice among them.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace larkbay {

class CancelToken;
class ServerClient;

// The address texts of the server's answer, in its order; empty when the
// exchange failed or the answer is no JSON array.
std::vector<std::string> DownloadAddresses(ServerClient& server, std::string_view fileName,
                                           CancelToken* cancel = nullptr);

// Addresses ChooseDownloadAddress tries at most. A server names a few mirrors;
// a list of thousands of dead ones would hold the start-up for each one's
// timeout.
inline constexpr std::size_t kMaxTriedAddresses = 16;

// The first address that resolves to content (ResolveDownloadUrl), tried in
// order, of the first kMaxTriedAddresses; empty when none does.
std::string ChooseDownloadAddress(ServerClient& server, std::string_view fileName,
                                  CancelToken* cancel = nullptr);

}  // namespace larkbay
