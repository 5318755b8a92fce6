#pragma once
// The song catalogue on the wire: the search and address queries, the
// endpoint of a site, and the reading of both answers.

#include <string>
#include <string_view>

#include "state/search_records.h"

namespace larkbay {

class CancelToken;
class JsonObject;
class ServerClient;

inline constexpr std::string_view kSongSearchType = "Search";
inline constexpr std::string_view kDefaultSongBitrate = "ST";

// "Lark-Bay/Tool/Api/Music/song/<site>/<site>.php".
std::string SongScriptPath(std::string_view site);

// "web=…&type=…&key=<EncodeQueryValue(key)>&page=…&br=…&mid=…".
std::string SongQueryText(std::string_view site, std::string_view type, std::string_view key,
                          int page, std::string_view br, std::string_view mid);

// The request type that asks for an address in `quality` ("Songurl" for ST,
// HD, HQ, SQ; "MVurl" for MV); empty for any other code.
std::string_view SongUrlRequestType(std::string_view quality);

// The address request for `song` in `quality`: page 1, the song's SongID with
// the quality as bitrate, or for MV its SongMV with bitrate HQ; always the
// song's media_mid. Empty for an unknown quality.
std::string SongUrlQuery(std::string_view site, std::string_view quality, const SongRecord& song);

// The address in an address answer: the Songurl of the member
// "<site>_<songId>" (itself a JSON object) for audio, the MVurl for MV. Empty
// when the answer or the member is missing, or the quality is unknown.
std::string SongUrlFromAnswer(std::string_view answer, std::string_view site,
                              std::string_view quality, std::string_view songId);

// Sends the address request for `song` and reads its answer; empty when the
// quality is unknown, the exchange failed or the answer has no address.
std::string RequestSongUrl(ServerClient& server, std::string_view site, std::string_view quality,
                           const SongRecord& song, CancelToken* cancel = nullptr);

// One element of a search answer's List, every member as plain text (a
// missing member gives the empty text).
SongRecord ReadSongRecord(const JsonObject& entry);

}  // namespace larkbay
