// search and resolve: the song and DJ catalogues of the API server, through the
// client's own ServerRequest and JsonObject, printed as tables.
//   lark-bay-cli search song KEY [--site S] [--page N]
//   lark-bay-cli search dj KEY [--type T] [--sort asc|desc] [--page N] [--site S]
//   lark-bay-cli search sites
//   lark-bay-cli resolve song SONGID QUALITY [--site S] [--mid MID]
//   lark-bay-cli resolve mv MVID [--site S]
//   lark-bay-cli resolve dj ID[,ID...] [--site S]
//   lark-bay-cli resolve download Updata|Main|Engine
//   lark-bay-cli resolve url ADDRESS
// The server is LARKBAY_API_BASE, or the build's default.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli_command.h"
#include "net/api_base.h"
#include "net/inet_request.h"
#include "net/server_request.h"
#include "remote/config_cache.h"
#include "remote/download_address.h"
#include "remote/remote_paths.h"
#include "remote/site_config_paths.h"
#include "search/dj_protocol.h"
#include "search/search_counters.h"
#include "search/song_protocol.h"
#include "services/json/json_object.h"
#include "text_table.h"

namespace larkbay::cli {
namespace {

constexpr std::string_view kMark = "√";

struct Arguments {
  std::vector<std::string> positional;
  std::map<std::string, std::string, std::less<>> options;  // "--site" → value
};

// Positional words and "--name value" pairs; false with `error` set for an
// option not in `known` or one without its value.
bool SplitArguments(const std::vector<std::string>& args, size_t from,
                    const std::set<std::string_view>& known, Arguments& out, std::string& error) {
  for (size_t i = from; i < args.size(); ++i) {
    if (!args[i].starts_with("--")) {
      out.positional.push_back(args[i]);
      continue;
    }
    if (!known.contains(args[i])) {
      error = "unknown option " + args[i];
      return false;
    }
    if (i + 1 >= args.size()) {
      error = args[i] + " needs a value";
      return false;
    }
    out.options[args[i]] = args[i + 1];
    ++i;
  }
  return true;
}

std::string Option(const Arguments& a, std::string_view name, std::string fallback = {}) {
  const auto it = a.options.find(name);
  return it == a.options.end() ? fallback : it->second;
}

bool ParsePage(const Arguments& a, int& page) {
  const std::string text = Option(a, "--page", "1");
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 9)
    return false;
  page = std::stoi(text);
  return page >= 1;
}

int NoAnswer(const ServerClient& client, std::string_view what) {
  return UsageError(std::string("no usable answer to ") + std::string(what) + " from " +
                    client.BaseUrl());
}

// The program configuration, always fetched whole (no stamp sent).
bool FetchConfig(ServerClient& client, JsonObject& config) {
  const std::string reply =
      client.ServerRequest(kConfigScript, DocumentRequestData(kProgramConfigDocument, ""), 1, 0);
  if (reply.size() <= kShortReplyLength) return false;
  return config.Parse(DecodeDocumentReply(reply).document);
}

// The configuration, asked for at most once per command, and only when an
// option left out needs it.
class LazyConfig {
 public:
  explicit LazyConfig(ServerClient& client) : client_(client) {}
  const JsonObject* Get() {
    if (!asked_) {
      asked_ = true;
      fetched_ = FetchConfig(client_, config_);
    }
    return fetched_ ? &config_ : nullptr;
  }

 private:
  ServerClient& client_;
  JsonObject config_;
  bool asked_ = false;
  bool fetched_ = false;
};

// --site / --type when given, otherwise the first entry of that selector.
bool Choose(LazyConfig& config, const Arguments& a, std::string_view option,
            std::string_view selector, std::string& value) {
  value = Option(a, option);
  if (!value.empty()) return true;
  const JsonObject* document = config.Get();
  if (!document) return false;
  value = document->GetItemObject(0, selector).GetText("value");
  return !value.empty();
}

std::string Flag(bool on) { return on ? std::string(kMark) : std::string(); }

std::string Counters(const SearchCounters& c) {
  return "page " + std::to_string(c.Page) + " of " + std::to_string(c.PageaCount) + ", " +
         std::to_string(c.ListCount) + " on this page, " + std::to_string(c.DataCount) + " in all";
}

int SearchSong(ServerClient& client, const Arguments& a) {
  if (a.positional.size() != 1) return UsageError("search song KEY [--site S] [--page N]");
  int page = 1;
  if (!ParsePage(a, page)) return UsageError("--page takes a number from 1");
  std::string site;
  LazyConfig config(client);
  if (!Choose(config, a, "--site", kSongSitesPath, site))
    return NoAnswer(client, "the configuration");
  const std::string query =
      SongQueryText(site, kSongSearchType, a.positional[0], page, kDefaultSongBitrate, "");
  JsonObject answer;
  if (!answer.Parse(client.ServerRequest(SongScriptPath(site), query, 1, 1)))
    return NoAnswer(client, "the song search");
  std::vector<std::vector<std::string>> rows;
  const int count = answer.GetCount("List");
  for (int i = 0; i < count; ++i) {
    const SongRecord song = ReadSongRecord(answer.GetItemObject(i, "List"));
    rows.push_back({std::to_string(i + 1), song.SongName, song.SongArtists, song.SongAlbum,
                    song.SongTime, Flag(song.HD != "0"), Flag(song.HQ != "0"), Flag(song.SQ != "0"),
                    Flag(!song.SongMV.empty()), song.SongID});
  }
  // An empty page is said in words, not as a header over nothing.
  if (rows.empty()) return PrintText(site + ": nothing found");
  WriteBytes(FormatTable(
      {"序号", "歌曲名称", "歌手", "专辑", "时长", "标准", "高品", "无损", "视频", "SongID"},
      rows));
  return PrintText(site + ": " + Counters(ReadSearchCounters(answer)));
}

int SearchDj(ServerClient& client, const Arguments& a) {
  if (a.positional.size() != 1)
    return UsageError("search dj KEY [--type T] [--sort asc|desc] [--page N] [--site S]");
  int page = 1;
  if (!ParsePage(a, page)) return UsageError("--page takes a number from 1");
  const std::string sort = Option(a, "--sort", "desc");
  if (sort != "asc" && sort != "desc") return UsageError("--sort takes asc or desc");
  std::string site;
  std::string type;
  LazyConfig config(client);
  if (!Choose(config, a, "--site", kDjSitesPath, site) ||
      !Choose(config, a, "--type", kDjTypesPath, type)) {
    return NoAnswer(client, "the configuration");
  }
  JsonObject answer;
  if (!answer.Parse(client.ServerRequest(
          kDjSearchScript, DjQueryText(site, type, a.positional[0], page, sort), 1, 1))) {
    return NoAnswer(client, "the DJ search");
  }
  const int count = answer.GetCount("List");
  std::vector<DjRecord> mixes;
  std::vector<std::string> ids;
  for (int i = 0; i < count; ++i) {
    mixes.push_back(ReadDjRecord(answer.GetItemObject(i, "List")));
    ids.push_back(mixes.back().SongID);
  }
  JsonObject urls;
  const bool haveUrls = !ids.empty() && RequestDjAddresses(client, site, ids, urls);
  std::vector<std::vector<std::string>> rows;
  for (const DjRecord& mix : mixes) {
    const DjAddresses addresses =
        haveUrls ? ReadDjAddresses(urls, site, mix.SongID) : DjAddresses{};
    rows.push_back({mix.SongID, mix.SongName, mix.SongTime, mix.SongFileSize, mix.SongUserName,
                    mix.SongAddDate, Flag(DjAddressUsable(addresses.ST)),
                    Flag(DjAddressUsable(addresses.HQ))});
  }
  const std::string label = site + " " + type + " " + sort;
  if (rows.empty()) return PrintText(label + ": nothing found");
  WriteBytes(FormatTable(
      {"编号", "歌曲名称", "歌曲时长", "歌曲大小", "歌曲作者", "歌曲日期", "低", "高"}, rows));
  return PrintText(label + ": " + Counters(ReadSearchCounters(answer)));
}

int SearchSites(ServerClient& client) {
  JsonObject config;
  if (!FetchConfig(client, config)) return NoAnswer(client, "the configuration");
  for (const std::string_view selector : {kSongSitesPath, kDjSitesPath, kDjTypesPath}) {
    std::vector<std::vector<std::string>> rows;
    const int count = config.GetCount(selector);
    for (int i = 0; i < count; ++i) {
      const JsonObject entry = config.GetItemObject(i, selector);
      rows.push_back({entry.GetText("value"), entry.GetText("key")});
    }
    PrintText(selector);
    WriteBytes(FormatTable({"value", "key"}, rows));
  }
  return 0;
}

int Search(const std::vector<std::string>& args) {
  Arguments a;
  std::string error;
  if (!SplitArguments(args, 1, {"--site", "--page", "--type", "--sort"}, a, error))
    return UsageError(error);
  const std::string what = args.empty() ? std::string() : args[0];
  ServerClient client(ApiBaseUrl());
  if (what == "song") return SearchSong(client, a);
  if (what == "dj") return SearchDj(client, a);
  if (what == "sites" && a.positional.empty()) return SearchSites(client);
  return UsageError("search song KEY | search dj KEY | search sites");
}

int ResolveSong(ServerClient& client, const Arguments& a, bool video) {
  if (a.positional.size() != (video ? 1u : 2u)) {
    return UsageError(video ? "resolve mv MVID [--site S]"
                            : "resolve song SONGID ST|HD|HQ|SQ [--site S] [--mid MID]");
  }
  std::string site;
  LazyConfig config(client);
  if (!Choose(config, a, "--site", kSongSitesPath, site))
    return NoAnswer(client, "the configuration");
  const std::string& key = a.positional[0];
  const std::string quality = video ? "MV" : a.positional[1];
  if (!video && (quality == "MV" || SongUrlRequestType(quality).empty()))
    return UsageError("resolve song takes ST, HD, HQ or SQ, not '" + quality + "'");
  SongRecord song;
  (video ? song.SongMV : song.SongID) = key;
  song.media_mid = Option(a, "--mid");
  const std::string url = RequestSongUrl(client, site, quality, song);
  if (url.empty()) return UsageError("no address for " + key + " in " + (video ? "HQ" : quality));
  return PrintText(url);
}

int ResolveDj(ServerClient& client, const Arguments& a) {
  if (a.positional.size() != 1) return UsageError("resolve dj ID[,ID...] [--site S]");
  std::string site;
  LazyConfig config(client);
  if (!Choose(config, a, "--site", kDjSitesPath, site))
    return NoAnswer(client, "the configuration");
  std::vector<std::string> ids;
  std::string_view rest = a.positional[0];
  while (!rest.empty()) {
    const size_t comma = rest.find(',');
    if (comma != 0) ids.emplace_back(rest.substr(0, comma));
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  JsonObject urls;
  if (ids.empty() || !RequestDjAddresses(client, site, ids, urls))
    return NoAnswer(client, "the DJ address request");
  std::vector<std::vector<std::string>> rows;
  for (const std::string& id : ids) {
    const DjAddresses addresses = ReadDjAddresses(urls, site, id);
    rows.push_back({id, addresses.ST, addresses.HQ});
  }
  return WriteBytes(FormatTable({"编号", "ST", "HQ"}, rows));
}

int ResolveDownload(ServerClient& client, const Arguments& a) {
  if (a.positional.size() != 1) return UsageError("resolve download Updata|Main|Engine");
  const std::vector<std::string> addresses = DownloadAddresses(client, a.positional[0]);
  if (addresses.empty()) return NoAnswer(client, "the download address request");
  std::vector<std::vector<std::string>> rows;
  for (const std::string& address : addresses) {
    const std::string resolved = ResolveDownloadUrl(address);
    rows.push_back({address, resolved.empty() ? "(no content)" : resolved});
  }
  return WriteBytes(FormatTable({"address", "answers at"}, rows));
}

int Resolve(const std::vector<std::string>& args) {
  Arguments a;
  std::string error;
  if (!SplitArguments(args, 1, {"--site", "--mid"}, a, error)) return UsageError(error);
  const std::string what = args.empty() ? std::string() : args[0];
  ServerClient client(ApiBaseUrl());
  if (what == "song") return ResolveSong(client, a, false);
  if (what == "mv") return ResolveSong(client, a, true);
  if (what == "dj") return ResolveDj(client, a);
  if (what == "download") return ResolveDownload(client, a);
  if (what == "url" && a.positional.size() == 1) {
    const std::string resolved = ResolveDownloadUrl(a.positional[0]);
    if (resolved.empty()) return UsageError("no content at " + a.positional[0]);
    return PrintText(resolved);
  }
  return UsageError("resolve song|mv|dj|download|url ...");
}

CommandRegistration searchRegistration{
    "search",
    "search song KEY [--site S] [--page N] | search dj KEY [--type T] [--sort asc|desc] [--page N] "
    "[--site S] | search sites",
    &Search};
CommandRegistration resolveRegistration{
    "resolve",
    "resolve song SONGID ST|HD|HQ|SQ [--site S] | resolve mv MVID | resolve dj ID[,ID...] | "
    "resolve download Updata|Main|Engine | resolve url ADDRESS",
    &Resolve};

}  // namespace
}  // namespace larkbay::cli
