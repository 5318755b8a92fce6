#pragma once
// Where the player page loads its scripts and style sheets from: the API
// server's host, always over plain HTTP.

#include <string>
#include <string_view>

namespace larkbay {

// "http://" + host[:port] + "/" of `apiBaseUrl`, host and port as written. The
// scheme (http, https or any other) is dropped, a base without one is taken as
// a host; path, query and user part are dropped. Empty when there is no host.
std::string AssetRootFor(std::string_view apiBaseUrl);

// The asset root of this run: it follows LARKBAY_API_BASE when that is set and
// not empty, else the build's LARKBAY_ASSET_ROOT_DEFAULT when not empty (a
// missing final "/" added), else the root of the build's API base.
std::string DefaultAssetRoot();

}  // namespace larkbay
