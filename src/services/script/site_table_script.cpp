#include "services/script/site_table_script.h"

#include "services/script/script_host.h"

namespace larkbay {

std::string_view SiteTableScript() {
  // JSON.parse rather than eval: the list comes from the server and is data;
  // its names are shown as text, never read as markup.
  return R"js(function GGText(text) {
  return String(text).replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;")
    .replace(/'/g, "&#39;").replace(/"/g, "&quot;");
}
function GG(siteList) {
  var sites = JSON.parse(siteList);
  if (!Array.isArray(sites) || sites.length == 0) return "";
  var html = "<table>";
  for (var i = 0; i < sites.length; i++) {
    if (i % 3 == 0) html += "<tr>";
    html += "<td><a href=\"" + (i + 1) + "\">" + GGText(sites[i].key) + "</a></td>";
  }
  return html + "</tr></table>";
}
)js";
}

std::string_view SiteTableProcedure() { return "GG"; }

std::string RunSiteTableScript(std::string_view siteListJson) {
  ScriptHost host;
  if (!host.ExecuteStatement(SiteTableScript())) return {};
  return host.Run(SiteTableProcedure(), siteListJson);
}

}  // namespace larkbay
