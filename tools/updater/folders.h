#pragma once
// Folder paths of the hand-over record: the program's record doubles the
// desktop folder's final "/", and a desktop folder may not exist yet.

#include <string>

namespace larkbay::updater {

// `path` with each run of "/" made one and without a final "/" ("/" stays).
std::string NormalPath(const std::string& path);

// Makes the folder `path` and its missing parents (mode 0755 before the
// umask), like mkdir -p. True when it is a folder afterwards; otherwise false
// with `error` an errno value and `blocker` the part of the path that stopped
// it. ENOTDIR means `blocker` exists and is not a folder.
bool MakeFolders(const std::string& path, int& error, std::string& blocker);

}  // namespace larkbay::updater
