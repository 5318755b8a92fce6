#pragma once
// The DJ catalogue on the wire: the search query, the address request for the
// mixes of a page, and the reading of both answers.

#include <string>
#include <string_view>
#include <vector>

#include "state/search_records.h"

namespace larkbay {

class CancelToken;
class JsonObject;
class ServerClient;

// One endpoint for every DJ site; the site travels in the query.
inline constexpr std::string_view kDjSearchScript =
    "Lark-Bay/Tool/Api/Music/dj/DJ_music_info_API.php";

// "web=…&type=…&Sort=…&key=<EncodeQueryValue(key)>&page=…".
std::string DjQueryText(std::string_view site, std::string_view type, std::string_view key,
                        int page, std::string_view sort);

// "Lark-Bay/Tool/Api/Music/dj/<site>/get_url.php".
std::string DjAddressScriptPath(std::string_view site);

// "ids=" + the ids joined by ",".
std::string DjAddressQuery(const std::vector<std::string>& ids);

struct DjAddresses {
  std::string HQ;  // 320 kbps
  std::string ST;  // 64 kbps
};

// HQ and ST of the member "<site>_<songId>" of a parsed address answer (that
// member is itself a JSON object); empty where missing.
DjAddresses ReadDjAddresses(const JsonObject& answer, std::string_view site,
                            std::string_view songId);

// An address is worth offering only when it is longer than five bytes.
inline bool DjAddressUsable(std::string_view address) { return address.size() > 5; }

// Sends the address request for `ids` and parses its answer into `answer`;
// false when the exchange failed or the answer is no JSON document.
bool RequestDjAddresses(ServerClient& server, std::string_view site,
                        const std::vector<std::string>& ids, JsonObject& answer,
                        CancelToken* cancel = nullptr);

// The nine search members of one element of a search answer's List, as plain
// text (missing gives empty); HQ and ST are left empty.
DjRecord ReadDjRecord(const JsonObject& entry);

}  // namespace larkbay
