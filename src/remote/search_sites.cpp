#include "remote/search_sites.h"

#include "platform/control_interface.h"
#include "platform/control_names.h"
#include "services/json/json_object.h"
#include "services/script/site_table_script.h"
#include "services/text/text_helpers.h"
#include "state/program_state.h"

namespace larkbay {
namespace {

// A section of the configuration as its own document; false when missing.
bool Section(const JsonObject& config, std::string_view name, JsonObject& section) {
  return section.Parse(config.GetText(name, true));
}

}  // namespace

std::string ComboValues(const JsonObject& entries) {
  std::string values;
  const int count = entries.GetCount("");
  for (int i = 0; i < count; ++i) values += entries.GetItemObject(i, "").GetText("value") + "|";
  return values;
}

void FillComboBox(ControlInterface& controls, std::string_view box, std::string_view entriesJson) {
  JsonObject entries;
  // A section that is no array reads as no entries.
  if (!entries.Parse(entriesJson) || !entriesJson.starts_with('[')) entries.Clear();
  controls.ClearItems(box);
  const int count = entries.GetCount("");
  for (int i = 0; i < count; ++i)
    controls.AppendItem(box, entries.GetItemObject(i, "").GetText("key"));
  controls.SetCurrentIndex(box, 0);
  controls.SetTag(box, ComboValues(entries));
}

void FillDjSearchLists(ControlInterface& controls, ProgramState& state) {
  JsonObject dj;
  if (!Section(state.ProgramConfig, "DJ", dj)) return;
  FillComboBox(controls, names::kDjTypeBox, dj.GetText("DJ_Search_Type", true));
  const std::string sites = dj.GetText("DJ_Search_Web", true);
  BuildSiteTable(state, sites);
  FillComboBox(controls, names::kDjSiteBox, sites);
}

void FillSongSiteList(ControlInterface& controls, const ProgramState& state) {
  JsonObject song;
  if (!Section(state.ProgramConfig, "Song", song)) return;
  FillComboBox(controls, names::kSongSiteBox, song.GetText("Song_Search_Web", true));
}

std::string SiteTableHtml(std::string_view siteListJson) {
  std::string page(kSiteTablePage);
  const std::string table = RunSiteTableScript(siteListJson);
  page.replace(page.find("#HTML#"), 6, table);
  return TextToGbk(page);
}

void BuildSiteTable(ProgramState& state, std::string_view siteListJson) {
  if (!state.SiteListHtml.empty()) return;
  state.SiteListHtml = SiteTableHtml(siteListJson);
}

}  // namespace larkbay
