#pragma once
// The file-side HTTP client: one blocking exchange whose whole body comes back
// in one piece, with its own header rules (the agent taken from the headers,
// Accept / Referer / Accept-Language completion, the cookie line). Used to
// probe download addresses, read a file's headers and fetch whole files.

#include <chrono>
#include <string>
#include <string_view>

#include "services/text/text_helpers.h"

namespace larkbay {

class CancelToken;

inline constexpr std::string_view kInetUserAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
// Longest wait for a connection, and longest time without a byte moving.
inline constexpr std::chrono::milliseconds kInetTimeout{30000};
// Redirects ResolveDownloadUrl follows before it gives up.
inline constexpr int kMaxDownloadRedirects = 10;

// The response body; empty on any failure, and for a response without body.
// When the exchange could not start (bad address) the out values keep what
// they held; otherwise `returnedHeaders` gets the response header block (empty
// when none came) and `returnedCookies` the cookies it set.
Bytes InetRequest(std::string_view address, int method = 0, std::string_view bodyText = {},
                  std::string_view cookies = {}, std::string* returnedCookies = nullptr,
                  std::string_view headers = {}, std::string* returnedHeaders = nullptr,
                  bool noRedirect = false, std::string_view byteBody = {},
                  std::string_view proxy = {}, bool mergeCookies = true,
                  bool completeHeaders = true, bool normaliseHeaders = true,
                  CancelToken* cancel = nullptr, std::chrono::milliseconds timeout = kInetTimeout);

// The request header block InetRequest sends for these arguments (before the
// agent line, which goes out only when the block has no User-Agent line).
std::string BuildInetHeaderBlock(std::string_view address, int method, std::string_view cookies,
                                 std::string_view headers, bool completeHeaders,
                                 bool normaliseHeaders);

// The address that finally answers 200 with content, following 301 and 302
// (at most kMaxDownloadRedirects of them); empty when there is none.
std::string ResolveDownloadUrl(std::string_view address, CancelToken* cancel = nullptr,
                               std::chrono::milliseconds timeout = kInetTimeout);

}  // namespace larkbay
