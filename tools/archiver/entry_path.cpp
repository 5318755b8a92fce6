#include "entry_path.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace larkbay::archiver {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }
// What the file system takes for a separator: to it "a\b" is one folder and
// ".\." a name, possibly of a link made by an earlier entry.
bool IsFolderSeparator(char c) { return c == '/'; }

bool IsAbsolute(std::string_view path) {
  if (path.empty()) return false;
  if (IsSeparator(path[0])) return true;
  const bool letter = (path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z');
  return path.size() >= 2 && letter && path[1] == ':';
}

// The parts between separators, without empty and "." parts. `separator`
// says what separates them.
std::vector<std::string_view> Parts(std::string_view path, bool (*separator)(char) = IsSeparator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && !separator(path[i])) continue;
    const std::string_view part = path.substr(start, i - start);
    if (!part.empty() && part != ".") parts.push_back(part);
    start = i + 1;
  }
  return parts;
}

// The folders above the last part of `path`.
std::size_t FolderDepth(std::string_view path, bool (*separator)(char)) {
  const std::vector<std::string_view> parts = Parts(path, separator);
  return parts.empty() ? 0 : parts.size() - 1;
}

// Empty when a link target of `parts` climbs only with leading ".." parts
// and no higher than `depth`.
std::string CheckClimb(const std::vector<std::string_view>& parts, std::size_t depth) {
  std::size_t ups = 0;
  bool named = false;
  for (const std::string_view part : parts) {
    if (part != "..") {
      named = true;
    } else if (named) {
      return "link with \"..\" after a name refused";
    } else if (++ups > depth) {
      return "link pointing outside the destination refused";
    }
  }
  return {};
}

}  // namespace

std::string CheckEntryPath(std::string_view path) {
  if (path.empty()) return "empty name refused";
  if (IsAbsolute(path)) return "absolute path refused";
  for (const std::string_view part : Parts(path)) {
    if (part == "..") return "path with \"..\" refused";
  }
  return {};
}

std::string CheckLinkTarget(std::string_view entryPath, std::string_view target) {
  if (target.empty()) return "link without a target refused";
  if (IsAbsolute(target)) return "link to an absolute path refused";
  // The file system reads "\\" as part of a name, something on the way might
  // read it as a separator: the target must stay inside read either way, from
  // the shallower of the two depths the link's folder can have.
  const std::size_t depth = std::min(FolderDepth(entryPath, IsFolderSeparator),
                                     FolderDepth(entryPath, IsSeparator));
  for (const auto separator : {IsFolderSeparator, IsSeparator}) {
    std::string why = CheckClimb(Parts(target, separator), depth);
    if (!why.empty()) return why;
  }
  return {};
}

std::string CheckEntry(std::string_view path, std::optional<std::string_view> hardlink,
                       std::optional<std::string_view> symlink) {
  std::string why = CheckEntryPath(path);
  if (why.empty() && hardlink) why = CheckEntryPath(*hardlink);
  if (why.empty() && symlink) why = CheckLinkTarget(path, *symlink);
  return why;
}

}  // namespace larkbay::archiver
