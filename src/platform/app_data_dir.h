#pragma once
// The per-user folder that holds every local file of the client.

#include <string>

namespace larkbay {

// $APPDATA when set and not empty, else $XDG_DATA_HOME (default ~/.local/share),
// followed by "Lark-Bay/". Always ends with "/". The folder (with any missing
// parents) is created when it does not exist; a creation failure is not
// reported, later file operations in it simply fail.
std::string AppDataDir();

}  // namespace larkbay
