// Music/dj/DJ_music_info_API.php (one page of mixes of one site) and
// Music/dj/<site>/get_url.php (the two addresses of each mix asked for).
#include <algorithm>
#include <charconv>
#include <vector>

#include "api_documents.h"
#include "search_paging.h"

namespace larkbay::server {
namespace {

// Numbers compare by value, so a search for "0042" finds mix 42.
bool SameNumber(std::string_view a, std::string_view b) {
  auto parse = [](std::string_view text, unsigned long long& value) {
    if (text.empty()) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
  };
  unsigned long long x = 0;
  unsigned long long y = 0;
  return parse(a, x) && parse(b, y) && x == y;
}

// The keyword the client's DJ search box starts with: every mix of the site,
// whatever the search type.
constexpr std::string_view kEveryMix = "#all";

bool MatchesMix(const DjMix& mix, std::string_view type, std::string_view key) {
  if (key == kEveryMix) return true;
  if (type == "SongID") return SameNumber(mix.SongID, key);
  if (type == "SongUserName") return ContainsKeyword(mix.SongUserName, key);
  return ContainsKeyword(mix.SongName, key);
}

bool AddedBefore(const DjMix* a, const DjMix* b) {
  if (a->SongAddDate != b->SongAddDate) return a->SongAddDate < b->SongAddDate;
  if (a->SongID.size() != b->SongID.size()) return a->SongID.size() < b->SongID.size();
  return a->SongID < b->SongID;
}

Json MixEntry(const DjMix& mix, std::string_view base) {
  Json entry;
  entry["SongID"] = mix.SongID;
  entry["SongName"] = mix.SongName;
  entry["SongPlayUrl"] = mix.st ? DjMediaUrl(base, mix, "ST") : std::string();
  entry["SongTime"] = mix.SongTime;
  entry["SongFileSize"] = mix.SongFileSize;
  entry["SongUserName"] = mix.SongUserName;
  entry["SongClassID"] = mix.SongClassID;
  entry["SongImage"] = std::string(base) + "/img/dj-cover.svg";
  entry["SongAddDate"] = mix.SongAddDate;
  return entry;
}

}  // namespace

std::string DjSearchAnswer(const ApiContext& context, const FormFields& form,
                           std::string_view base) {
  const Catalogue& catalogue = *context.catalogue;
  const std::string site = FormValue(form, "web");
  const std::string type = FormValue(form, "type");
  const std::string key = FormValue(form, "key");
  std::vector<const DjMix*> matches;
  if (!context.faults.Has(Fault::kEmptySearch)) {
    for (const DjMix& mix : catalogue.djMixes) {
      if (mix.site == site && MatchesMix(mix, type, key)) matches.push_back(&mix);
    }
  }
  if (FormValue(form, "Sort") == "asc") {
    std::stable_sort(matches.begin(), matches.end(), AddedBefore);
  } else {
    std::stable_sort(matches.begin(), matches.end(),
                     [](const DjMix* a, const DjMix* b) { return AddedBefore(b, a); });
  }
  const PageWindow window = PageOf(matches.size(), catalogue.pageSize, FormValue(form, "page"));
  Json list = Json::array();
  for (size_t n = 0; n < window.count; ++n)
    list.push_back(MixEntry(*matches[window.first + n], base));
  return SearchPageAnswer(window, matches.size(), std::move(list));
}

std::string DjUrlAnswer(const ApiContext& context, std::string_view site, const FormFields& form,
                        std::string_view base) {
  Json answer = Json::object();
  std::string_view ids =
      form.count("ids") ? std::string_view(form.find("ids")->second) : std::string_view();
  while (!ids.empty()) {
    const size_t comma = ids.find(',');
    const std::string_view id = ids.substr(0, comma);
    if (const DjMix* mix = context.catalogue->FindDjMix(site, id)) {
      Json entry;
      entry["HQ"] = mix->hq ? DjMediaUrl(base, *mix, "HQ") : std::string();
      entry["ST"] = mix->st ? DjMediaUrl(base, *mix, "ST") : std::string();
      answer[std::string(site) + "_" + std::string(id)] = std::move(entry);
    }
    if (comma == std::string_view::npos) break;
    ids.remove_prefix(comma + 1);
  }
  return DumpJson(answer);
}

}  // namespace larkbay::server
