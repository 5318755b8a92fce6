#pragma once
// Files served as they lie on disk: media, downloads and the player assets,
// with Content-Length, HEAD and byte ranges (unless a fault says otherwise).

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "fault_set.h"

namespace httplib {
struct Request;
struct Response;
}  // namespace httplib

namespace larkbay::server {

// The regular file that `relative` (a URL path below a route, not decoded
// further) names under `root`; false for any path that would leave `root`.
bool FileUnder(const std::filesystem::path& root, std::string_view relative,
               std::filesystem::path& file);

std::string ContentTypeOf(const std::filesystem::path& file);

// Answers with the file, ranges included; 404 when it cannot be opened.
// `rate` > 0 holds each answer to that many bytes a second.
void ServeFile(const httplib::Request& request, httplib::Response& response,
               const std::filesystem::path& file, const FaultSet& faults,
               std::int64_t rate = 0);

}  // namespace larkbay::server
