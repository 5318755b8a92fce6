// Config/program_Config.php (the program configuration and the recommended list,
// each with its version stamp) and Config/up-file-path.php (download addresses).
#include <cstdint>
#include <filesystem>

#include "api_documents.h"
#include "services/text/text_helpers.h"

namespace larkbay::server {
namespace {

constexpr std::string_view kProgramConfigFile = "program_Config.json";
constexpr std::string_view kMusicListFile = "_MuiscList.json";

// The files behind the fileName values of up-file-path.php.
constexpr std::pair<std::string_view, std::string_view> kDownloads[] = {
    {"Updata", "Update.exe"},
    {"Main", "lark-bay"},
    {"Engine", "Enginepack"},
};

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  return text;
}

// A digest the configuration announces; with the badsum fault one that matches nothing.
std::string Announced(const ApiContext& context, std::string md5) {
  if (!context.faults.Has(Fault::kBadSum)) return md5;
  return Md5Hex(md5 + "badsum", false);
}

// cef.pak's digest comes from the pack builder (cef.pak.md5 beside the pack),
// or from a cef.pak lying in the folder; empty when there is no engine.
std::string CefPakMd5(const ApiContext& context) {
  std::string text;
  if (ReadWholeFile(context.downloadsDir / "cef.pak.md5", text)) return Trimmed(text.substr(0, 32));
  if (std::filesystem::is_regular_file(context.downloadsDir / "cef.pak")) {
    return context.digests->Md5Of(context.downloadsDir / "cef.pak");
  }
  return {};
}

Json SiteArray(const std::vector<SiteEntry>& sites) {
  Json array = Json::array();
  for (const SiteEntry& site : sites)
    array.push_back(Json{{"key", site.key}, {"value", site.value}});
  return array;
}

}  // namespace

std::string DocumentStamp(std::string_view document) {
  const std::string md5 = Md5Hex(document, false);
  const std::uint32_t value = static_cast<std::uint32_t>(std::stoul(md5.substr(0, 8), nullptr, 16));
  std::string stamp = std::to_string(value);
  return std::string(10 - stamp.size(), '0') + stamp;
}

std::string ProgramConfigDocument(const ApiContext& context) {
  const Catalogue& catalogue = *context.catalogue;
  Json program;
  program["Updata"]["md5"] =
      Announced(context, context.digests->Md5Of(context.downloadsDir / "Update.exe"));
  program["Main"]["version"] = context.mainVersion;
  program["Engine"]["cef_32_md5"] = Announced(context, CefPakMd5(context));
  program["Engine"]["md5"] =
      Announced(context, context.digests->Md5Of(context.downloadsDir / "Enginepack"));
  Json document;
  document["Program"] = std::move(program);
  document["DJ"]["DJ_Search_Type"] = SiteArray(catalogue.djTypes);
  document["DJ"]["DJ_Search_Web"] = SiteArray(catalogue.djSites);
  document["Song"]["Song_Search_Web"] = SiteArray(catalogue.songSites);
  return DumpJson(document);
}

std::string MusicListDocument(const ApiContext& context, std::string_view base) {
  Json list = Json::array();
  for (const std::string& songId : context.catalogue->recommended) {
    const Song* song = context.catalogue->FindSong(songId);
    if (song == nullptr || song->qualities.empty()) continue;
    const std::string quality = song->HasQuality("HQ") ? "HQ" : song->qualities.front();
    list.push_back(Json{{"url", SongMediaUrl(base, *song, quality)},
                        {"artists", song->SongArtists},
                        {"name", song->SongName}});
  }
  Json document;
  document["Muisc"] = std::move(list);
  return DumpJson(document);
}

std::string ConfigFileAnswer(const ApiContext& context, const FormFields& form,
                             std::string_view base) {
  const std::string fileName = FormValue(form, "file_name");
  std::string document;
  if (fileName == kProgramConfigFile) {
    document = ProgramConfigDocument(context);
  } else if (fileName == kMusicListFile) {
    document = MusicListDocument(context, base);
  } else {
    return "ERR unknown file";
  }
  const std::string stamp = DocumentStamp(document);
  if (FormValue(form, "file_Up_Time") == stamp) return {};  // the client's copy is current
  if (context.faults.Has(Fault::kTruncate)) document.resize(document.size() / 2);
  return SealGatewayAnswer(PercentEncode(stamp + document));
}

std::string DownloadAddressAnswer(const ApiContext& context, const FormFields& form,
                                  std::string_view base) {
  const std::string which = FormValue(form, "fileName");
  Json addresses = Json::array();
  for (const auto& [name, file] : kDownloads) {
    if (name != which || !std::filesystem::is_regular_file(context.downloadsDir / file)) continue;
    // The first address takes one redirect hop to the second.
    addresses.push_back(std::string(base) + "/go/" + std::string(file));
    addresses.push_back(std::string(base) + "/download/" + std::string(file));
  }
  return DumpJson(addresses);
}

}  // namespace larkbay::server
