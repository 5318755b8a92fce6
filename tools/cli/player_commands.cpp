// The player page text: pages, play-list entries and page digests.
#include <optional>

#include "cli_command.h"
#include "player/asset_root.h"
#include "player/player_page.h"

namespace larkbay::cli {
namespace {

constexpr std::string_view kPlayerPageUsage = "usage: player-page --engine E [--asset-root URL]";

int PlayerPageCommand(const std::vector<std::string>& args) {
  std::optional<std::string> engine;
  std::optional<std::string> assetRoot;
  for (size_t i = 0; i < args.size(); i += 2) {
    if (i + 1 >= args.size()) return UsageError(kPlayerPageUsage);
    if (args[i] == "--engine" && !engine) {
      engine = args[i + 1];
    } else if (args[i] == "--asset-root" && !assetRoot) {
      assetRoot = args[i + 1];
    } else {
      return UsageError(kPlayerPageUsage);
    }
  }
  if (!engine) return UsageError(kPlayerPageUsage);
  const std::string root = assetRoot ? *assetRoot : DefaultAssetRoot();
  return WriteBytes(PageBytes(BuildPlayerPage(*engine, ReadStdin(), root)));
}

int PlaylistEntryCommand(const std::vector<std::string>& args) {
  if (args.size() != 3) return UsageError("usage: playlist-entry URL BOLD PLAIN");
  return WriteBytes(PlaylistEntry(args[0], args[1], args[2]));
}

int PageDigestCommand(const std::vector<std::string>& args) {
  if (!args.empty()) return UsageError("usage: page-digest");
  return PrintText(PageDigest(ReadStdin()));
}

const CommandRegistration playerPage{
    "player-page",
    "player-page --engine E [--asset-root URL]  player page (GB18030) for the play list on stdin",
    &PlayerPageCommand};
const CommandRegistration playlistEntry{
    "playlist-entry", "playlist-entry URL BOLD PLAIN  one play-list item, HTML-escaped",
    &PlaylistEntryCommand};
const CommandRegistration pageDigest{
    "page-digest", "page-digest               MD5 of the page text's GB18030 bytes",
    &PageDigestCommand};

}  // namespace
}  // namespace larkbay::cli
