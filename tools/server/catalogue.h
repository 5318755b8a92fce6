#pragma once
// The demo catalogue: song sites, DJ sites and search types, songs, DJ mixes and
// the recommended list, read from <data>/catalogue/.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace larkbay::server {

struct SiteEntry {
  std::string key;    // shown in the client's selector
  std::string value;  // the code its requests carry
};

struct Song {
  std::string SongID;
  std::vector<std::string> sites;
  std::string SongName;
  std::string SongArtists;
  std::string SongAlbum;
  std::string SongTime;
  std::string clip;                    // media/audio/<clip>-<quality>.<ext>
  std::vector<std::string> qualities;  // of "ST", "HD", "HQ", "SQ"
  std::string mv;                      // media/mv/<mv>.webm; empty: no video
  std::string media_mid;

  bool OnSite(std::string_view site) const;
  bool HasQuality(std::string_view quality) const;
};

struct DjMix {
  std::string site;
  std::string SongID;
  std::string SongName;
  std::string SongUserName;
  std::string SongTime;
  std::string SongFileSize;
  std::string SongClassID;
  std::string SongAddDate;
  std::string clip;  // media/dj/<clip>-hq.mp3 and -st.mp3
  bool hq = false;
  bool st = false;
};

struct Catalogue {
  std::vector<SiteEntry> songSites;
  std::vector<std::string> songSitesWithMv;
  std::vector<SiteEntry> djSites;
  std::vector<SiteEntry> djTypes;
  int pageSize = 20;
  std::vector<std::string> recommended;  // SongIDs
  std::string mainVersion;
  std::vector<Song> songs;
  std::vector<DjMix> djMixes;

  bool IsSongSite(std::string_view site) const;
  bool IsDjSite(std::string_view site) const;
  bool SiteHasMv(std::string_view site) const;
  const Song* FindSong(std::string_view songId) const;
  const DjMix* FindDjMix(std::string_view site, std::string_view songId) const;
};

// Reads catalogue.json, songs.tsv and dj_mixes.tsv of `dataDir`/catalogue;
// false with a one-line reason in `error`.
bool LoadCatalogue(const std::filesystem::path& dataDir, Catalogue& catalogue, std::string& error);

}  // namespace larkbay::server
