#include "api_router.h"

#include "api_documents.h"

namespace larkbay::server {
namespace {

constexpr std::string_view kApiRoot = "Lark-Bay/Tool/Api/";
constexpr std::string_view kSongPrefix = "Music/song/";
constexpr std::string_view kDjPrefix = "Music/dj/";
constexpr std::string_view kDjUrlScript = "/get_url.php";

ApiAnswer Sealed(const ApiContext& context, std::string document) {
  if (context.faults.Has(Fault::kTruncate)) document.resize(document.size() / 2);
  return ApiAnswer{200, SealGatewayAnswer(document)};
}

// "<site>/<site>.php" gives the site; anything else the empty text.
std::string SongSiteOf(std::string_view script) {
  const size_t slash = script.find('/');
  if (slash == std::string_view::npos || slash == 0) return {};
  const std::string_view site = script.substr(0, slash);
  if (script.substr(slash + 1) != std::string(site) + ".php") return {};
  return std::string(site);
}

}  // namespace

ApiAnswer RouteApi(const GatewayRequest& request, const ApiContext& context,
                   std::string_view base) {
  std::string_view path = request.path;
  if (path.starts_with('/')) path.remove_prefix(1);
  const ApiAnswer unknown{404, "ERR unknown path"};
  if (!path.starts_with(kApiRoot)) return unknown;
  path.remove_prefix(kApiRoot.size());
  const FormFields form = ParseFormData(request.data);

  if (path == "Config/program_Config.php") {
    const std::string answer = ConfigFileAnswer(context, form, base);
    return ApiAnswer{200, answer};
  }
  if (path == "Config/up-file-path.php")
    return Sealed(context, DownloadAddressAnswer(context, form, base));
  if (path.starts_with(kSongPrefix)) {
    const std::string site = SongSiteOf(path.substr(kSongPrefix.size()));
    if (site.empty() || !context.catalogue->IsSongSite(site)) return unknown;
    return Sealed(context, SongApiAnswer(context, site, form, base));
  }
  if (path.starts_with(kDjPrefix)) {
    path.remove_prefix(kDjPrefix.size());
    if (path == "DJ_music_info_API.php")
      return Sealed(context, DjSearchAnswer(context, form, base));
    if (path.ends_with(kDjUrlScript)) {
      const std::string site(path.substr(0, path.size() - kDjUrlScript.size()));
      if (!context.catalogue->IsDjSite(site)) return unknown;
      return Sealed(context, DjUrlAnswer(context, site, form, base));
    }
  }
  return unknown;
}

}  // namespace larkbay::server
