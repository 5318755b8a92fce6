#include "search/dj_protocol.h"

#include "net/server_request.h"
#include "search/query_encoding.h"
#include "services/json/json_object.h"

namespace larkbay {

std::string DjQueryText(std::string_view site, std::string_view type, std::string_view key,
                        int page, std::string_view sort) {
  std::string query = "web=";
  query.append(site).append("&type=").append(type).append("&Sort=").append(sort);
  query.append("&key=").append(EncodeQueryValue(key));
  query.append("&page=").append(std::to_string(page));
  return query;
}

std::string DjAddressScriptPath(std::string_view site) {
  std::string path = "Lark-Bay/Tool/Api/Music/dj/";
  path.append(site).append("/get_url.php");
  return path;
}

std::string DjAddressQuery(const std::vector<std::string>& ids) {
  std::string query = "ids=";
  for (size_t i = 0; i < ids.size(); ++i) {
    if (i > 0) query.push_back(',');
    query.append(ids[i]);
  }
  return query;
}

DjAddresses ReadDjAddresses(const JsonObject& answer, std::string_view site,
                            std::string_view songId) {
  std::string member(site);
  member.append("_").append(songId);
  JsonObject entry;
  if (!entry.Parse(answer.GetText(member, true))) return {};
  return DjAddresses{entry.GetText("HQ"), entry.GetText("ST")};
}

bool RequestDjAddresses(ServerClient& server, std::string_view site,
                        const std::vector<std::string>& ids, JsonObject& answer,
                        CancelToken* cancel) {
  return answer.Parse(
      server.ServerRequest(DjAddressScriptPath(site), DjAddressQuery(ids), 1, 1, cancel));
}

DjRecord ReadDjRecord(const JsonObject& entry) {
  DjRecord mix;
  mix.SongID = entry.GetText("SongID");
  mix.SongName = entry.GetText("SongName");
  mix.SongPlayUrl = entry.GetText("SongPlayUrl");
  mix.SongTime = entry.GetText("SongTime");
  mix.SongFileSize = entry.GetText("SongFileSize");
  mix.SongUserName = entry.GetText("SongUserName");
  mix.SongClassID = entry.GetText("SongClassID");
  mix.SongImage = entry.GetText("SongImage");
  mix.SongAddDate = entry.GetText("SongAddDate");
  return mix;
}

}  // namespace larkbay
