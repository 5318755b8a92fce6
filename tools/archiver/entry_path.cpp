#include "entry_path.h"

#include <cstddef>
#include <vector>

namespace larkbay::archiver {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool IsAbsolute(std::string_view path) {
  if (path.empty()) return false;
  if (IsSeparator(path[0])) return true;
  const bool letter = (path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z');
  return path.size() >= 2 && letter && path[1] == ':';
}

// The parts between separators, without empty and "." parts.
std::vector<std::string_view> Parts(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && !IsSeparator(path[i])) continue;
    const std::string_view part = path.substr(start, i - start);
    if (!part.empty() && part != ".") parts.push_back(part);
    start = i + 1;
  }
  return parts;
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
  const std::vector<std::string_view> entryParts = Parts(entryPath);
  const std::size_t depth = entryParts.empty() ? 0 : entryParts.size() - 1;
  std::size_t ups = 0;
  bool named = false;
  for (const std::string_view part : Parts(target)) {
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

}  // namespace larkbay::archiver
