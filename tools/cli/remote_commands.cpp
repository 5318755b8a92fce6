// The remote documents' local forms on standard input: percent decoding and
// the cache file of a fetched document.
//   lark-bay-cli percent-decode [--utf8]
//   lark-bay-cli cache encode STAMP | cache stamp | cache document
#include "cli_command.h"
#include "remote/config_cache.h"

namespace larkbay::cli {
namespace {

int PercentDecodeCommand(const std::vector<std::string>& args) {
  if (args.size() > 1 || (args.size() == 1 && args[0] != "--utf8")) {
    return UsageError("usage: percent-decode [--utf8]");
  }
  return WriteBytes(PercentDecode(ReadStdin(), args.size() == 1));
}

int CacheCommand(const std::vector<std::string>& args) {
  const std::string what = args.empty() ? std::string() : args[0];
  if (what == "encode" && args.size() == 2)
    return WriteBytes(EncodeCacheFile(args[1], ReadStdin()));
  if (what == "stamp" && args.size() == 1) return PrintText(CacheStamp(ReadStdin()));
  if (what == "document" && args.size() == 1) return WriteBytes(CacheDocument(ReadStdin()));
  return UsageError("usage: cache encode STAMP | cache stamp | cache document");
}

const CommandRegistration percentDecode{
    "percent-decode",
    "percent-decode [--utf8]   %XX escapes to bytes; with --utf8 the bytes read as UTF-8",
    &PercentDecodeCommand};
const CommandRegistration cache{
    "cache",
    "cache encode STAMP | cache stamp | cache document  a document's cache file (stdin), its "
    "stamp (empty when damaged), its document",
    &CacheCommand};

}  // namespace
}  // namespace larkbay::cli
