#pragma once
// The state of the two searches and the records of the page on show. Row n of
// a result list is record n (1-based).

#include <cstdint>
#include <string>

namespace larkbay {

// One song of the page on show. The quality fields and SongMV first hold what
// the search answer says (a flag, "0" when missing; a video id); an address
// resolved later replaces them.
struct SongRecord {
  std::string SongID;
  std::string SongName;
  std::string SongArtists;
  std::string SongAlbum;
  std::string SongTime;
  std::string SongMV;
  std::string media_mid;
  std::string SQ;
  std::string HQ;
  std::string HD;
  std::string ST;
};

struct SongSearchState {
  std::string LastQuery;
  std::string Site;
  std::string SiteName;
  std::string Type;
  std::string Keyword;
  std::int32_t Page = 0;
  std::int32_t ListCount = 0;
  std::int32_t PageaCount = 0;
  std::int32_t DataCount = 0;
  std::string PendingQuery;
  std::int32_t HoverFocus = 0;
};

// One mix of the page on show; HQ and ST come from the address answer.
struct DjRecord {
  std::string SongID;
  std::string SongName;
  std::string SongPlayUrl;
  std::string SongTime;
  std::string SongFileSize;
  std::string SongUserName;
  std::string SongClassID;
  std::string SongImage;
  std::string SongAddDate;
  std::string HQ;
  std::string ST;
};

struct DjSearchState {
  std::string LastQuery;
  std::string Site;
  std::string SiteName;
  std::string Type;
  std::string TypeName;
  std::string Keyword;
  std::int32_t Page = 0;
  std::int32_t ListCount = 0;
  std::int32_t PageaCount = 0;
  std::int32_t DataCount = 0;
  std::string Sort;
  std::int32_t PlayingDjRow = 0;
  std::string PlayingDjId;
  std::string PendingQuery;
  std::int32_t HoverFocus = 0;
};

}  // namespace larkbay
