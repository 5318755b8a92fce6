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
#include "services/json/json_object.h"
#include "services/text/text_helpers.h"
#include "text_table.h"

namespace larkbay::cli {
namespace {

constexpr std::string_view kConfigScript = "Lark-Bay/Tool/Api/Config/program_Config.php";
constexpr std::string_view kAddressScript = "Lark-Bay/Tool/Api/Config/up-file-path.php";
constexpr std::string_view kDjSearchScript = "Lark-Bay/Tool/Api/Music/dj/DJ_music_info_API.php";
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

int NoAnswer(std::string_view what) {
  return UsageError(std::string("no usable answer to ") + std::string(what) + " from " +
                    ApiBaseUrl());
}

// The program configuration, always fetched whole (no stamp sent).
bool FetchConfig(JsonObject& config) {
  const std::string raw =
      ServerRequest(kConfigScript, "file_name=program_Config.json&file_Up_Time=", 1, 0);
  if (raw.size() <= 50) return false;
  const std::string text = PercentDecode(Base64Decode(SwapLetterCase(raw)));
  return text.size() > 10 && config.Parse(std::string_view(text).substr(10));
}

// --site / --type when given, otherwise the first entry of that selector.
bool Choose(const Arguments& a, std::string_view option, std::string_view selector,
            std::string& value) {
  value = Option(a, option);
  if (!value.empty()) return true;
  JsonObject config;
  if (!FetchConfig(config)) return false;
  value = config.GetItemObject(0, selector).GetText("value");
  return !value.empty();
}

std::string SongScript(std::string_view site) {
  return "Lark-Bay/Tool/Api/Music/song/" + std::string(site) + "/" + std::string(site) + ".php";
}

std::string Flag(bool on) { return on ? std::string(kMark) : std::string(); }

std::string Counters(const JsonObject& answer) {
  return "page " + answer.GetText("Page") + " of " + answer.GetText("PageaCount") + ", " +
         answer.GetText("ListCount") + " on this page, " + answer.GetText("DataCount") + " in all";
}

int SearchSong(const Arguments& a) {
  if (a.positional.size() != 1) return UsageError("search song KEY [--site S] [--page N]");
  int page = 1;
  if (!ParsePage(a, page)) return UsageError("--page takes a number from 1");
  std::string site;
  if (!Choose(a, "--site", "Song.Song_Search_Web", site)) return NoAnswer("the configuration");
  const std::string query = "web=" + site + "&type=Search&key=" + PercentEncode(a.positional[0]) +
                            "&page=" + std::to_string(page) + "&br=ST&mid=";
  JsonObject answer;
  if (!answer.Parse(ServerRequest(SongScript(site), query, 1, 1)))
    return NoAnswer("the song search");
  std::vector<std::vector<std::string>> rows;
  const int count = answer.GetCount("List");
  for (int i = 0; i < count; ++i) {
    const JsonObject song = answer.GetItemObject(i, "List");
    rows.push_back({std::to_string(i + 1), song.GetText("SongName"), song.GetText("SongArtists"),
                    song.GetText("SongAlbum"), song.GetText("SongTime"),
                    Flag(song.GetText("HD") != "0"), Flag(song.GetText("HQ") != "0"),
                    Flag(song.GetText("SQ") != "0"), Flag(!song.GetText("SongMV").empty()),
                    song.GetText("SongID")});
  }
  WriteBytes(FormatTable(
      {"序号", "歌曲名称", "歌手", "专辑", "时长", "标准", "高品", "无损", "视频", "SongID"},
      rows));
  return PrintText(site + ": " + Counters(answer));
}

// get_url.php for the mixes of a page: id → {ST, HQ}.
bool DjAddresses(std::string_view site, const std::vector<std::string>& ids, JsonObject& urls) {
  std::string data = "ids=";
  for (size_t i = 0; i < ids.size(); ++i) data += (i ? "," : "") + ids[i];
  return urls.Parse(ServerRequest(
      "Lark-Bay/Tool/Api/Music/dj/" + std::string(site) + "/get_url.php", data, 1, 1));
}

int SearchDj(const Arguments& a) {
  if (a.positional.size() != 1)
    return UsageError("search dj KEY [--type T] [--sort asc|desc] [--page N] [--site S]");
  int page = 1;
  if (!ParsePage(a, page)) return UsageError("--page takes a number from 1");
  const std::string sort = Option(a, "--sort", "desc");
  if (sort != "asc" && sort != "desc") return UsageError("--sort takes asc or desc");
  std::string site;
  std::string type;
  if (!Choose(a, "--site", "DJ.DJ_Search_Web", site) ||
      !Choose(a, "--type", "DJ.DJ_Search_Type", type)) {
    return NoAnswer("the configuration");
  }
  const std::string query = "web=" + site + "&type=" + type + "&Sort=" + sort +
                            "&key=" + PercentEncode(a.positional[0]) + "&page=" + std::to_string(page);
  JsonObject answer;
  if (!answer.Parse(ServerRequest(kDjSearchScript, query, 1, 1))) return NoAnswer("the DJ search");
  const int count = answer.GetCount("List");
  std::vector<std::string> ids;
  for (int i = 0; i < count; ++i) ids.push_back(answer.GetItemObject(i, "List").GetText("SongID"));
  JsonObject urls;
  const bool haveUrls = !ids.empty() && DjAddresses(site, ids, urls);
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; i < count; ++i) {
    const JsonObject mix = answer.GetItemObject(i, "List");
    const std::string member = site + "_" + ids[static_cast<size_t>(i)];
    rows.push_back({mix.GetText("SongID"), mix.GetText("SongName"), mix.GetText("SongTime"),
                    mix.GetText("SongFileSize"), mix.GetText("SongUserName"),
                    mix.GetText("SongAddDate"),
                    Flag(haveUrls && urls.GetText(member + ".ST").size() > 5),
                    Flag(haveUrls && urls.GetText(member + ".HQ").size() > 5)});
  }
  WriteBytes(FormatTable(
      {"编号", "歌曲名称", "歌曲时长", "歌曲大小", "歌曲作者", "歌曲日期", "低", "高"}, rows));
  return PrintText(site + " " + type + " " + sort + ": " + Counters(answer));
}

int SearchSites() {
  JsonObject config;
  if (!FetchConfig(config)) return NoAnswer("the configuration");
  for (const char* selector : {"Song.Song_Search_Web", "DJ.DJ_Search_Web", "DJ.DJ_Search_Type"}) {
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
  if (what == "song") return SearchSong(a);
  if (what == "dj") return SearchDj(a);
  if (what == "sites" && a.positional.empty()) return SearchSites();
  return UsageError("search song KEY | search dj KEY | search sites");
}

int ResolveSong(const Arguments& a, bool video) {
  if (a.positional.size() != (video ? 1u : 2u)) {
    return UsageError(video ? "resolve mv MVID [--site S]"
                            : "resolve song SONGID ST|HD|HQ|SQ [--site S] [--mid MID]");
  }
  std::string site;
  if (!Choose(a, "--site", "Song.Song_Search_Web", site)) return NoAnswer("the configuration");
  const std::string& key = a.positional[0];
  const std::string quality = video ? "HQ" : a.positional[1];
  const std::string query = "web=" + site + "&type=" + (video ? "MVurl" : "Songurl") +
                            "&key=" + PercentEncode(key) + "&page=1&br=" + quality +
                            "&mid=" + Option(a, "--mid");
  JsonObject answer;
  if (!answer.Parse(ServerRequest(SongScript(site), query, 1, 1)))
    return NoAnswer("the address request");
  std::string url;
  if (video) {
    url = answer.GetText("MVurl");
  } else {
    JsonObject entry;
    if (entry.Parse(answer.GetText(site + "_" + key, true))) url = entry.GetText("Songurl");
  }
  if (url.empty()) return UsageError("no address for " + key + " in " + quality);
  return PrintText(url);
}

int ResolveDj(const Arguments& a) {
  if (a.positional.size() != 1) return UsageError("resolve dj ID[,ID...] [--site S]");
  std::string site;
  if (!Choose(a, "--site", "DJ.DJ_Search_Web", site)) return NoAnswer("the configuration");
  std::vector<std::string> ids;
  std::string_view rest = a.positional[0];
  while (!rest.empty()) {
    const size_t comma = rest.find(',');
    if (comma != 0) ids.emplace_back(rest.substr(0, comma));
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  JsonObject urls;
  if (ids.empty() || !DjAddresses(site, ids, urls)) return NoAnswer("the DJ address request");
  std::vector<std::vector<std::string>> rows;
  for (const std::string& id : ids) {
    rows.push_back(
        {id, urls.GetText(site + "_" + id + ".ST"), urls.GetText(site + "_" + id + ".HQ")});
  }
  return WriteBytes(FormatTable({"编号", "ST", "HQ"}, rows));
}

int ResolveDownload(const Arguments& a) {
  if (a.positional.size() != 1) return UsageError("resolve download Updata|Main|Engine");
  JsonObject addresses;
  if (!addresses.Parse(ServerRequest(kAddressScript, "fileName=" + a.positional[0], 1, 1))) {
    return NoAnswer("the download address request");
  }
  std::vector<std::vector<std::string>> rows;
  const int count = addresses.GetCount("");
  for (int i = 0; i < count; ++i) {
    const std::string address = addresses.GetItemText(i, "");
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
  if (what == "song") return ResolveSong(a, false);
  if (what == "mv") return ResolveSong(a, true);
  if (what == "dj") return ResolveDj(a);
  if (what == "download") return ResolveDownload(a);
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
