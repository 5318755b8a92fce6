#pragma once
// The documents behind each API script, as UTF-8 JSON text. Shared by the
// router; each lives in the file of its script family.

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "api_router.h"
#include "form_data.h"

namespace larkbay::server {

using Json = nlohmann::ordered_json;

// Compact UTF-8; invalid UTF-8 in a value becomes U+FFFD instead of failing.
std::string DumpJson(const Json& json);

// Music/song/<site>/<site>.php: types Search, Songurl, MVurl.
std::string SongApiAnswer(const ApiContext& context, std::string_view site, const FormFields& form,
                          std::string_view base);
// Music/dj/DJ_music_info_API.php
std::string DjSearchAnswer(const ApiContext& context, const FormFields& form,
                           std::string_view base);
// Music/dj/<site>/get_url.php
std::string DjUrlAnswer(const ApiContext& context, std::string_view site, const FormFields& form,
                        std::string_view base);

// Config/program_Config.php: the raw wire text (the transport form, or empty
// when the client's stamp is current, or a short refusal).
std::string ConfigFileAnswer(const ApiContext& context, const FormFields& form,
                             std::string_view base);
// Config/up-file-path.php: the JSON array of download addresses.
std::string DownloadAddressAnswer(const ApiContext& context, const FormFields& form,
                                  std::string_view base);

// The documents themselves, for the transport form and for tests.
std::string ProgramConfigDocument(const ApiContext& context);
std::string MusicListDocument(const ApiContext& context, std::string_view base);
// A version stamp of exactly ten digits that changes whenever the document does.
std::string DocumentStamp(std::string_view document);

// Media addresses.
std::string SongMediaUrl(std::string_view base, const Song& song, std::string_view quality);
std::string MvUrl(std::string_view base, const Song& song);
std::string DjMediaUrl(std::string_view base, const DjMix& mix, std::string_view quality);

}  // namespace larkbay::server
