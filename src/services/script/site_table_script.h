#pragma once
// The program's own script that turns the JSON list of search sites
// ([{"key": shown name, "value": code}, ...]) into the table markup of the
// site window: a cell per site linking to its 1-based number, three cells a
// row, only the last row closed explicitly; an empty list gives the empty
// text.

#include <string>
#include <string_view>

namespace larkbay {

// Declares the global function SiteTableProcedure() when executed.
std::string_view SiteTableScript();
std::string_view SiteTableProcedure();  // "GG"

// Runs the script on a fresh ScriptHost: the table markup, or the empty text
// when the list is empty or not a JSON array of sites.
std::string RunSiteTableScript(std::string_view siteListJson);

}  // namespace larkbay
