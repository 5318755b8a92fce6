#include "catalogue.h"

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>

#include "file_digests.h"

namespace larkbay::server {
namespace {

std::vector<std::string> Split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  while (true) {
    const size_t at = text.find(separator);
    parts.emplace_back(text.substr(0, at));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

// Rows of a tab-separated file with a header line, as name → value maps.
bool ReadTsv(const std::filesystem::path& file,
             std::vector<std::map<std::string, std::string>>& rows, std::string& error) {
  std::string bytes;
  if (!ReadWholeFile(file, bytes)) {
    error = "cannot read " + file.string();
    return false;
  }
  std::vector<std::string> lines = Split(bytes, '\n');
  if (lines.empty() || lines.front().empty()) {
    error = file.string() + ": no header line";
    return false;
  }
  const std::vector<std::string> names = Split(lines.front(), '\t');
  for (size_t n = 1; n < lines.size(); ++n) {
    if (lines[n].empty()) continue;
    const std::vector<std::string> cells = Split(lines[n], '\t');
    if (cells.size() != names.size()) {
      error = file.string() + ":" + std::to_string(n + 1) + ": " + std::to_string(cells.size()) +
              " cells, the header has " + std::to_string(names.size());
      return false;
    }
    auto& row = rows.emplace_back();
    for (size_t c = 0; c < names.size(); ++c) row[names[c]] = cells[c];
  }
  return true;
}

std::string Cell(const std::map<std::string, std::string>& row, const std::string& name) {
  const auto it = row.find(name);
  return it == row.end() ? std::string() : it->second;
}

bool ReadSites(const nlohmann::json& settings, const char* name, std::vector<SiteEntry>& sites,
               std::string& error) {
  const auto it = settings.find(name);
  if (it == settings.end() || !it->is_array()) {
    error = std::string("catalogue.json: ") + name + " is not an array";
    return false;
  }
  for (const auto& entry : *it) {
    if (!entry.is_object() || !entry.contains("key") || !entry.contains("value") ||
        !entry["key"].is_string() || !entry["value"].is_string()) {
      error = std::string("catalogue.json: an entry of ") + name + " lacks key or value";
      return false;
    }
    sites.push_back({entry["key"].get<std::string>(), entry["value"].get<std::string>()});
  }
  return true;
}

bool Contains(const std::vector<std::string>& list, std::string_view item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

bool HasSite(const std::vector<SiteEntry>& sites, std::string_view code) {
  return std::any_of(sites.begin(), sites.end(),
                     [&](const SiteEntry& s) { return s.value == code; });
}

}  // namespace

bool Song::OnSite(std::string_view site) const { return Contains(sites, site); }
bool Song::HasQuality(std::string_view quality) const { return Contains(qualities, quality); }

bool Catalogue::IsSongSite(std::string_view site) const { return HasSite(songSites, site); }
bool Catalogue::IsDjSite(std::string_view site) const { return HasSite(djSites, site); }
bool Catalogue::SiteHasMv(std::string_view site) const { return Contains(songSitesWithMv, site); }

const Song* Catalogue::FindSong(std::string_view songId) const {
  for (const Song& song : songs) {
    if (song.SongID == songId) return &song;
  }
  return nullptr;
}

const DjMix* Catalogue::FindDjMix(std::string_view site, std::string_view songId) const {
  for (const DjMix& mix : djMixes) {
    if (mix.site == site && mix.SongID == songId) return &mix;
  }
  return nullptr;
}

namespace {

bool LoadCatalogueFiles(const std::filesystem::path& dataDir, Catalogue& catalogue,
                        std::string& error) {
  const std::filesystem::path dir = dataDir / "catalogue";
  std::string text;
  if (!ReadWholeFile(dir / "catalogue.json", text)) {
    error = "cannot read " + (dir / "catalogue.json").string();
    return false;
  }
  const nlohmann::json settings = nlohmann::json::parse(text, nullptr, false);
  if (!settings.is_object()) {
    error = "catalogue.json is not a JSON object";
    return false;
  }
  Catalogue loaded;
  if (!ReadSites(settings, "Song_Search_Web", loaded.songSites, error) ||
      !ReadSites(settings, "DJ_Search_Web", loaded.djSites, error) ||
      !ReadSites(settings, "DJ_Search_Type", loaded.djTypes, error)) {
    return false;
  }
  loaded.songSitesWithMv = settings.value("song_sites_with_mv", std::vector<std::string>{});
  loaded.pageSize = std::max(1, settings.value("page_size", 20));
  loaded.recommended = settings.value("recommended", std::vector<std::string>{});
  loaded.mainVersion = settings.value("main_version", std::string("1600584000"));

  std::vector<std::map<std::string, std::string>> rows;
  if (!ReadTsv(dir / "songs.tsv", rows, error)) return false;
  for (const auto& row : rows) {
    Song song;
    song.SongID = Cell(row, "SongID");
    song.sites = Split(Cell(row, "sites"), ',');
    song.SongName = Cell(row, "SongName");
    song.SongArtists = Cell(row, "SongArtists");
    song.SongAlbum = Cell(row, "SongAlbum");
    song.SongTime = Cell(row, "SongTime");
    song.clip = Cell(row, "clip");
    const std::string qualities = Cell(row, "qualities");
    if (!qualities.empty()) song.qualities = Split(qualities, ',');
    song.mv = Cell(row, "mv");
    song.media_mid = Cell(row, "media_mid");
    loaded.songs.push_back(std::move(song));
  }
  rows.clear();
  if (!ReadTsv(dir / "dj_mixes.tsv", rows, error)) return false;
  for (const auto& row : rows) {
    DjMix mix;
    mix.site = Cell(row, "site");
    mix.SongID = Cell(row, "SongID");
    mix.SongName = Cell(row, "SongName");
    mix.SongUserName = Cell(row, "SongUserName");
    mix.SongTime = Cell(row, "SongTime");
    mix.SongFileSize = Cell(row, "SongFileSize");
    mix.SongClassID = Cell(row, "SongClassID");
    mix.SongAddDate = Cell(row, "SongAddDate");
    mix.clip = Cell(row, "clip");
    mix.hq = Cell(row, "hq") == "1";
    mix.st = Cell(row, "st") == "1";
    loaded.djMixes.push_back(std::move(mix));
  }
  catalogue = std::move(loaded);
  return true;
}

}  // namespace

bool LoadCatalogue(const std::filesystem::path& dataDir, Catalogue& catalogue, std::string& error) {
  try {
    return LoadCatalogueFiles(dataDir, catalogue, error);
  } catch (const nlohmann::json::exception& e) {
    error = std::string("catalogue.json: ") + e.what();
    return false;
  }
}

}  // namespace larkbay::server
