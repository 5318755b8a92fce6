#include "search/song_protocol.h"

#include "net/server_request.h"
#include "search/query_encoding.h"
#include "services/json/json_object.h"

namespace larkbay {
namespace {

constexpr std::string_view kVideo = "MV";
constexpr std::string_view kVideoBitrate = "HQ";

}  // namespace

std::string SongScriptPath(std::string_view site) {
  std::string path = "Lark-Bay/Tool/Api/Music/song/";
  path.append(site).append("/").append(site).append(".php");
  return path;
}

std::string SongQueryText(std::string_view site, std::string_view type, std::string_view key,
                          int page, std::string_view br, std::string_view mid) {
  std::string query = "web=";
  query.append(site).append("&type=").append(type);
  query.append("&key=").append(EncodeQueryValue(key));
  query.append("&page=").append(std::to_string(page));
  query.append("&br=").append(br).append("&mid=").append(mid);
  return query;
}

std::string_view SongUrlRequestType(std::string_view quality) {
  if (quality == "ST" || quality == "HD" || quality == "HQ" || quality == "SQ") return "Songurl";
  if (quality == kVideo) return "MVurl";
  return {};
}

std::string SongUrlQuery(std::string_view site, std::string_view quality, const SongRecord& song) {
  const std::string_view type = SongUrlRequestType(quality);
  if (type.empty()) return {};
  const bool video = quality == kVideo;
  return SongQueryText(site, type, video ? song.SongMV : song.SongID, 1,
                       video ? kVideoBitrate : quality, song.media_mid);
}

std::string SongUrlFromAnswer(std::string_view answer, std::string_view site,
                              std::string_view quality, std::string_view songId) {
  const std::string_view type = SongUrlRequestType(quality);
  if (type.empty()) return {};
  JsonObject document;
  if (!document.Parse(answer)) return {};
  if (quality == kVideo) return document.GetText("MVurl");
  std::string member(site);
  member.append("_").append(songId);
  JsonObject entry;
  if (!entry.Parse(document.GetText(member, true))) return {};
  return entry.GetText("Songurl");
}

std::string RequestSongUrl(ServerClient& server, std::string_view site, std::string_view quality,
                           const SongRecord& song, CancelToken* cancel) {
  const std::string query = SongUrlQuery(site, quality, song);
  if (query.empty()) return {};
  const std::string answer = server.ServerRequest(SongScriptPath(site), query, 1, 1, cancel);
  return SongUrlFromAnswer(answer, site, quality, song.SongID);
}

SongRecord ReadSongRecord(const JsonObject& entry) {
  SongRecord song;
  song.SongID = entry.GetText("SongID");
  song.SongName = entry.GetText("SongName");
  song.SongArtists = entry.GetText("SongArtists");
  song.SongAlbum = entry.GetText("SongAlbum");
  song.SongTime = entry.GetText("SongTime");
  song.SongMV = entry.GetText("SongMV");
  song.media_mid = entry.GetText("media_mid");
  song.SQ = entry.GetText("SQ");
  song.HQ = entry.GetText("HQ");
  song.HD = entry.GetText("HD");
  song.ST = entry.GetText("ST");
  return song;
}

}  // namespace larkbay
