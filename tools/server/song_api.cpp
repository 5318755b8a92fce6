// Music/song/<site>/<site>.php: one page of a keyword search, and the address of
// a song in one quality or of its video.
#include <vector>

#include "api_documents.h"
#include "search_paging.h"

namespace larkbay::server {
namespace {

constexpr std::string_view kMvPrefix = "mv";
constexpr std::string_view kQualities[] = {"SQ", "HQ", "HD", "ST"};

bool MatchesSong(const Song& song, std::string_view key) {
  return song.SongID == key || ContainsKeyword(song.SongName, key) ||
         ContainsKeyword(song.SongArtists, key) || ContainsKeyword(song.SongAlbum, key);
}

Json SongEntry(const Song& song, bool siteHasMv) {
  Json entry;
  entry["SongID"] = song.SongID;
  entry["SongName"] = song.SongName;
  entry["SongArtists"] = song.SongArtists;
  entry["SongAlbum"] = song.SongAlbum;
  entry["SongTime"] = song.SongTime;
  // A site without a video catalogue leaves the member out altogether.
  if (siteHasMv)
    entry["SongMV"] = song.mv.empty() ? std::string() : std::string(kMvPrefix) + song.SongID;
  entry["media_mid"] = song.media_mid;
  for (const std::string_view quality : kQualities) {
    entry[std::string(quality)] = song.HasQuality(quality) ? "1" : "0";
  }
  return entry;
}

std::string SearchAnswer(const ApiContext& context, std::string_view site, const FormFields& form) {
  const Catalogue& catalogue = *context.catalogue;
  const std::string key = FormValue(form, "key");
  std::vector<const Song*> matches;
  if (!context.faults.Has(Fault::kEmptySearch)) {
    for (const Song& song : catalogue.songs) {
      if (song.OnSite(site) && MatchesSong(song, key)) matches.push_back(&song);
    }
  }
  const PageWindow window = PageOf(matches.size(), catalogue.pageSize, FormValue(form, "page"));
  Json list = Json::array();
  const bool siteHasMv = catalogue.SiteHasMv(site);
  for (size_t n = 0; n < window.count; ++n)
    list.push_back(SongEntry(*matches[window.first + n], siteHasMv));
  return SearchPageAnswer(window, matches.size(), std::move(list));
}

std::string SongUrlAnswer(const ApiContext& context, std::string_view site, const FormFields& form,
                          std::string_view base) {
  const std::string songId = FormValue(form, "key");
  const std::string quality = FormValue(form, "br");
  Json answer = Json::object();
  const Song* song = context.catalogue->FindSong(songId);
  if (song != nullptr && song->OnSite(site)) {
    Json entry;
    entry["Songurl"] =
        song->HasQuality(quality) ? SongMediaUrl(base, *song, quality) : std::string();
    entry["br"] = quality;
    answer[std::string(site) + "_" + songId] = std::move(entry);
  }
  return DumpJson(answer);
}

std::string MvUrlAnswer(const ApiContext& context, std::string_view site, const FormFields& form,
                        std::string_view base) {
  const std::string key = FormValue(form, "key");
  std::string_view mvId = key;
  std::string url;
  if (context.catalogue->SiteHasMv(site) && mvId.starts_with(kMvPrefix)) {
    mvId.remove_prefix(kMvPrefix.size());
    const Song* song = context.catalogue->FindSong(mvId);
    if (song != nullptr && song->OnSite(site) && !song->mv.empty()) url = MvUrl(base, *song);
  }
  Json answer;
  answer["MVurl"] = url;
  return DumpJson(answer);
}

}  // namespace

std::string SongApiAnswer(const ApiContext& context, std::string_view site, const FormFields& form,
                          std::string_view base) {
  const std::string type = FormValue(form, "type");
  if (type == "Search") return SearchAnswer(context, site, form);
  if (type == "Songurl") return SongUrlAnswer(context, site, form, base);
  if (type == "MVurl") return MvUrlAnswer(context, site, form, base);
  Json answer;
  answer["code"] = 400;
  answer["msg"] = "unknown type";
  return DumpJson(answer);
}

}  // namespace larkbay::server
