#include "remote/config_cache.h"

#include "net/server_request.h"
#include "platform/file_system.h"
#include "remote/remote_paths.h"
#include "services/text/text_helpers.h"

namespace larkbay {
namespace {

constexpr size_t kDigestLength = 32;
constexpr size_t kStampLength = 10;
constexpr size_t kHeaderLength = kDigestLength + kStampLength;

std::string_view Content(std::string_view file) {
  return file.size() > kHeaderLength ? file.substr(kHeaderLength) : std::string_view();
}

}  // namespace

std::string EncodeCacheFile(std::string_view stamp, std::string_view document) {
  const std::string encoded = SwapLetterCase(Base64Encode(TextToGbk(document)));
  // The stamp field is exactly ten bytes, whatever the server sent.
  std::string field(stamp.substr(0, kStampLength));
  field.resize(kStampLength, ' ');
  return Md5Hex(encoded, true) + field + encoded;
}

std::string CacheStamp(std::string_view file) {
  if (file.size() < kHeaderLength) return {};
  const std::string_view digest = file.substr(0, kDigestLength);
  if (digest != Md5Hex(Content(file), true)) return {};
  return std::string(file.substr(kDigestLength, kStampLength));
}

std::string CacheDocument(std::string_view file) {
  return GbkToText(Base64Decode(SwapLetterCase(Content(file))));
}

std::string PercentDecode(std::string_view text, bool fromUtf8) {
  const Bytes bytes = PercentDecode(text);
  return fromUtf8 ? Utf8ToText(bytes) : bytes;
}

DecodedReply DecodeDocumentReply(std::string_view reply) {
  const std::string text = PercentDecode(Base64Decode(SwapLetterCase(reply)), true);
  DecodedReply decoded;
  // The stamp is ten characters; all of them ASCII digits from a sound server.
  size_t cut = 0;
  for (int i = 0; i < static_cast<int>(kStampLength) && cut < text.size(); ++i) {
    cut++;
    while (cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) cut++;
  }
  decoded.stamp = text.substr(0, cut);
  decoded.document = text.substr(cut);
  return decoded;
}

std::string DocumentRequestData(std::string_view documentName, std::string_view stamp) {
  return "file_name=" + std::string(documentName) + "&file_Up_Time=" + std::string(stamp);
}

std::string FetchCachedDocument(ServerClient& server, const std::string& cachePath,
                                std::string_view documentName) {
  std::string file;
  if (!ReadWholeFile(cachePath, file)) file.clear();
  const std::string stamp = CacheStamp(file);
  const std::string reply =
      server.ServerRequest(kConfigScript, DocumentRequestData(documentName, stamp), 1, 0);
  if (reply.size() > kShortReplyLength) {
    const DecodedReply decoded = DecodeDocumentReply(reply);
    // A cache that cannot be written only costs the next start a full fetch.
    WriteFileAtomically(cachePath, EncodeCacheFile(decoded.stamp, decoded.document));
    return decoded.document;
  }
  if (reply.empty()) return CacheDocument(file);
  return reply;
}

}  // namespace larkbay
