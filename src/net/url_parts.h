#pragma once
// Splitting a download address the way the file-side engine connects: the
// address may lack its scheme ("http://" is then assumed).

#include <string>
#include <string_view>

namespace larkbay {

// The host name in lower case, followed by ":" and the port when `keepPort` is
// set and the address names one.
std::string UrlHost(std::string_view address, bool keepPort);
// The port the address names, else 443 for https and 80 for everything else;
// 0 when the named port is not a number.
int UrlPort(std::string_view address);
// The path and query as written, beginning with "/" ("/" when there is none).
std::string UrlPath(std::string_view address);

// True when `address` is an http or https URL with a host, as the request
// engines read it.
bool IsHttpAddress(std::string_view address);

}  // namespace larkbay
