#pragma once
// Binds the site chooser's events to its handlers: the window's creation shows
// the site table, a clicked site link picks that site, and a loaded page drops
// its page file.

#include <string>

namespace larkbay {

class QtControls;
struct ProgramState;

// `dataDir` is AppDataDir with its trailing "/". `controls` and `state` must
// outlive the bindings.
void BindSiteWindow(QtControls& controls, ProgramState& state, std::string dataDir);

}  // namespace larkbay
