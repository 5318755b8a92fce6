#pragma once
// Well-known folders of the user.

#include <string>

namespace larkbay {

// The user's home folder: $HOME, else the password database; "" when unknown.
// Without a trailing "/".
std::string HomeDirectory();

// The user's desktop folder.
inline constexpr int kDesktopFolder = 3;

// kDesktopFolder: $XDG_DESKTOP_DIR, else the XDG_DESKTOP_DIR line of
// $XDG_CONFIG_HOME/user-dirs.dirs (default ~/.config/user-dirs.dirs) with $HOME
// expanded, else ~/Desktop. Always ends with "/"; the folder is not created.
// Any other kind, or no home folder: "".
std::string SpecialFolder(int kind);

}  // namespace larkbay
