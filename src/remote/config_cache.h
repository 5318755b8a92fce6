#pragma once
// Remote documents with a local copy: the configuration and the music list are
// fetched with the stamp of the cached copy, so the server can answer
// "unchanged" with an empty reply.
//
// Cache file: 32 upper-case MD5 digits of everything after offset 42, the
// 10-character stamp, then the document's GB18030 bytes as Base64 with the
// letter case swapped.

#include <string>
#include <string_view>

namespace larkbay {

class ServerClient;

// Replies of at most this many characters carry no document.
inline constexpr size_t kShortReplyLength = 50;

// The cache file for `document` (program text) stamped `stamp`.
std::string EncodeCacheFile(std::string_view stamp, std::string_view document);
// The stamp of a cache file: its 10 characters when the digest matches, else "".
std::string CacheStamp(std::string_view file);
// The document stored in a cache file, whether or not its digest matches (a
// damaged file gives a text that does not parse).
std::string CacheDocument(std::string_view file);

// PercentDecode of the text; with `fromUtf8` the bytes are then read as UTF-8.
std::string PercentDecode(std::string_view text, bool fromUtf8);

// A long reply decoded: letter-case swap, Base64, percent decoding as UTF-8;
// the first 10 characters are the stamp, the rest the document.
struct DecodedReply {
  std::string stamp;
  std::string document;
};
DecodedReply DecodeDocumentReply(std::string_view reply);

// The form data that asks for `documentName` given the cached `stamp`.
std::string DocumentRequestData(std::string_view documentName, std::string_view stamp);

// Reads the cache `cachePath`, asks the server for `documentName` with its
// stamp, rewrites the cache when a full document came, and answers the text to
// parse: the new document, the cached one on an empty reply, or a short reply
// as it is.
std::string FetchCachedDocument(ServerClient& server, const std::string& cachePath,
                                std::string_view documentName);

}  // namespace larkbay
