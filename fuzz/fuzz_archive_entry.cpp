// The archiver's entry checks on arbitrary names and link targets. Whatever
// they let through must land inside the destination when the file system
// resolves it the way Linux does ("/" the only separator, ".." one folder up):
// a name or hard-link target that climbs out or starts at the root, or a
// symbolic link whose target, read from the link's folder, climbs out, is a
// fault of the check.
//
// Input: one control byte (bit 0: a hard link, bit 1: a symbolic link), then
// the entry's name; the link target after the first NUL byte.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "entry_path.h"

namespace {

using larkbay::archiver::CheckEntry;

void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

// The depth `path` reaches from `depth` folders below the destination, or -1
// once it climbs above it or starts at the root.
int Resolve(std::string_view path, int depth) {
  if (path.starts_with('/')) return -1;
  size_t start = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '/') continue;
    const std::string_view part = path.substr(start, i - start);
    start = i + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (--depth < 0) return -1;
    } else {
      ++depth;
    }
  }
  return depth;
}

// The folder depth of an entry's own folder: its parts but the last.
int FolderDepth(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? 0 : Resolve(path.substr(0, slash), 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  const size_t nul = input.find('\0');
  const std::string_view name = input.substr(0, nul);
  const std::string_view target =
      nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);
  const std::optional<std::string_view> hardlink =
      (data[0] & 1) ? std::optional<std::string_view>(target) : std::nullopt;
  const std::optional<std::string_view> symlink =
      (data[0] & 2) ? std::optional<std::string_view>(target) : std::nullopt;

  if (!CheckEntry(name, hardlink, symlink).empty()) return 0;
  if (name.empty()) Fail("an empty name let through");
  if (Resolve(name, 0) < 0) Fail("a name outside the destination let through");
  if (hardlink && Resolve(*hardlink, 0) < 0)
    Fail("a hard link to outside the destination let through");
  if (symlink) {
    const int folder = FolderDepth(name);
    if (folder < 0 || Resolve(*symlink, folder) < 0)
      Fail("a symbolic link to outside the destination let through");
    // An earlier entry may have made any named part a link of its own, so
    // only leading ".." parts are safe: none may follow a name.
    bool named = false;
    size_t start = 0;
    for (size_t i = 0; i <= symlink->size(); ++i) {
      if (i < symlink->size() && (*symlink)[i] != '/') continue;
      const std::string_view part = symlink->substr(start, i - start);
      start = i + 1;
      if (part.empty() || part == ".") continue;
      if (part == "..") {
        if (named) Fail("a symbolic link with \"..\" after a name let through");
      } else {
        named = true;
      }
    }
  }
  return 0;
}
