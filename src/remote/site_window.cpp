#include "remote/site_window.h"

#include <charconv>
#include <cstdio>

#include "platform/control_interface.h"
#include "platform/control_names.h"
#include "platform/file_system.h"
#include "remote/remote_paths.h"
#include "state/program_state.h"

namespace larkbay {
namespace {

std::string SitePagePath(const std::string& dataDir) {
  return dataDir + std::string(kSitePageFile);
}

}  // namespace

void OnSiteWindowCreated(ControlInterface& controls, const ProgramState& state,
                         const std::string& dataDir) {
  if (state.SiteListHtml.empty()) return;
  const std::string page = SitePagePath(dataDir);
  if (!WriteFileAtomically(page, state.SiteListHtml)) return;
  controls.Navigate(names::kSiteView, page);
}

bool OnSiteViewBeforeNavigate(ControlInterface& controls, const std::string& dataDir,
                              std::string_view address) {
  if (address.find("htm") != std::string_view::npos) return false;
  std::string rest(address);
  const std::string prefix = dataDir + "data/";
  for (size_t at; !prefix.empty() && (at = rest.find(prefix)) != std::string::npos;)
    rest.erase(at, prefix.size());
  int number = 0;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), number);
  // Only the table's own links are sites; anything else goes nowhere.
  if (error != std::errc() || end != rest.data() + rest.size() || number < 1 ||
      number > controls.ItemCount(names::kDjSiteBox)) {
    return true;
  }
  controls.SetCurrentIndex(names::kDjSiteBox, number - 1);
  controls.DestroyWindow(names::kSiteWindow);
  return true;
}

void OnSiteViewDocumentComplete(const std::string& dataDir) {
  std::remove(SitePagePath(dataDir).c_str());
}

}  // namespace larkbay
