#pragma once
// Start-up step 7's selectors: the three site and type boxes filled from the
// configuration, and the page of the DJ site chooser.
//
// A box shows each entry's `key`; its tag holds every entry's `value`
// followed by "|", which the searches read by the selection index.

#include <string>
#include <string_view>

namespace larkbay {

class ControlInterface;
class JsonObject;
struct ProgramState;

// The site chooser's page; "#HTML#" stands for the table.
inline constexpr std::string_view kSiteTablePage =
    "<!DOCTYPE html><html lang=\"zh-CN\"><head><meta charset=\"gbk\"><meta name=\"viewport\""
    "content=\"width=device-width, initial-scale=1.0\"><title>LarK-Bay</title></head><body>"
    "<div id=\"info\">#HTML#</div></body><style>*{padding:0px;margin:0px;font-size:15px}"
    "td:hover{background:#edffcf;font-size:18px}td{width:150px;height:30px;padding:10px}"
    ".table{margin:0 auto;height:300px;width:700px}th,td{border:solid 1px black;text-align:"
    "center}a:link{text-decoration:none}a:visited{text-decoration:none}a:hover{color:#000000}"
    "a{color:#999999}</style></html>";

// Every entry's value followed by "|", in order.
std::string ComboValues(const JsonObject& entries);

// Clears the box and fills it from the JSON array `entriesJson`: one item per
// entry, the first selected, the values in the tag. Anything but an array
// leaves the box empty.
void FillComboBox(ControlInterface& controls, std::string_view box, std::string_view entriesJson);

// The type and site boxes of the DJ page, and the chooser's page. Without a
// DJ section the boxes keep what they hold.
void FillDjSearchLists(ControlInterface& controls, ProgramState& state);
// The site box of the song page. Without a Song section it keeps what it holds.
void FillSongSiteList(ControlInterface& controls, const ProgramState& state);

// The chooser's page bytes (GB18030) for the sites of `siteListJson`.
std::string SiteTableHtml(std::string_view siteListJson);
// Sets SiteListHtml from `siteListJson` unless it is set already.
void BuildSiteTable(ProgramState& state, std::string_view siteListJson);

}  // namespace larkbay
