#pragma once
// Where the player page loads its scripts and style sheets from: the API
// server's host, over the API's own https or else plain http.

#include <string>
#include <string_view>

namespace larkbay {

// scheme + "://" + host[:port] + "/" of `apiBaseUrl`, host and port as
// written: "https" for an https base (in any case), "http" for any other
// scheme and for a base without one, which is taken as a host. Path, query
// and user part are dropped. Empty when there is no host.
std::string AssetRootFor(std::string_view apiBaseUrl);

// The asset root of this run: it follows LARKBAY_API_BASE when that is set and
// not empty, else the build's LARKBAY_ASSET_ROOT_DEFAULT when not empty (a
// missing final "/" added), else the root of the build's API base.
std::string DefaultAssetRoot();

}  // namespace larkbay
