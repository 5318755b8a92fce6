#include "api_documents.h"

namespace larkbay::server {
namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

}  // namespace

std::string SongMediaUrl(std::string_view base, const Song& song, std::string_view quality) {
  return std::string(base) + "/media/audio/" + song.clip + "-" + Lower(quality) +
         (quality == "SQ" ? ".flac" : ".mp3");
}

std::string MvUrl(std::string_view base, const Song& song) {
  return std::string(base) + "/media/mv/" + song.mv + ".webm";
}

std::string DjMediaUrl(std::string_view base, const DjMix& mix, std::string_view quality) {
  return std::string(base) + "/media/dj/" + mix.clip + "-" + Lower(quality) + ".mp3";
}

std::string DumpJson(const Json& json) {
  return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace larkbay::server
