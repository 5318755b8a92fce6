#pragma once
// The site chooser's handlers: the site table is written to its page file and
// shown; a click on the link of site k selects site k in the DJ site box and
// closes the chooser.

#include <string>
#include <string_view>

namespace larkbay {

class ControlInterface;
struct ProgramState;

// The chooser has been created: writes SiteListHtml to its page file and
// loads it into the chooser's view. Nothing when there is no table.
void OnSiteWindowCreated(ControlInterface& controls, const ProgramState& state,
                         const std::string& dataDir);

// The view is about to go to `address`. The table itself loads; a site link
// (dataDir + "data/" + number) selects that site and closes the chooser.
// Answers true when the navigation is to be cancelled: a site was taken (the
// chooser is going) or the address is no site of the table.
bool OnSiteViewBeforeNavigate(ControlInterface& controls, const std::string& dataDir,
                              std::string_view address);

// A document has loaded: its page file has done its job.
void OnSiteViewDocumentComplete(const std::string& dataDir);

}  // namespace larkbay
