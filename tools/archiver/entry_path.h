#pragma once
// Checks of the names an archive asks to write, done before libarchive sees
// them (libarchive's own secure-extraction flags are a second line).

#include <optional>
#include <string>
#include <string_view>

namespace larkbay::archiver {

// Empty when `path` may be written inside the destination, otherwise why not:
// absolute paths (also "\..." and "C:...") and ".." parts (with either
// separator) are refused. Also used for hard-link targets, which name a path
// inside the destination.
std::string CheckEntryPath(std::string_view path);

// Empty when a symbolic link at `entryPath` pointing to `target` stays inside
// the destination. The target must be relative and its ".." parts may only
// lead it and climb no higher than the link's own folder depth: a ".." after a
// name could climb out through a link made by an earlier entry. Both hold
// with "/" alone as the separator (as the file system reads the target) and
// with "\" as one too.
std::string CheckLinkTarget(std::string_view entryPath, std::string_view target);

// Empty when an entry named `path` may be written; otherwise why not. A hard
// link's `hardlink` target is checked like a name, a symbolic link's
// `symlink` target with CheckLinkTarget; nullopt when the entry is no link
// of that kind.
std::string CheckEntry(std::string_view path, std::optional<std::string_view> hardlink,
                       std::optional<std::string_view> symlink);

}  // namespace larkbay::archiver
