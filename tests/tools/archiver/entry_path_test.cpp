// The archiver's own checks of entry names and link targets.
#include "entry_path.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using larkbay::archiver::CheckEntry;
using larkbay::archiver::CheckEntryPath;
using larkbay::archiver::CheckLinkTarget;

TEST(EntryPathTest, RefusesAbsoluteAndClimbingNames) {
  struct Case {
    const char* path;
    bool allowed;
  };
  const Case cases[] = {
      {"cef.pak", true},   {"locales/en-US.pak", true},
      {"./a/./b", true},   {"a..b/..c", true},
      {"../evil", false},  {"a/../../evil", false},
      {"a/..", false},     {"a\\..\\..\\evil", false},
      {"/tmp/abs", false}, {"\\windows\\x", false},
      {"C:evil", false},   {"c:/evil", false},
      {"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckEntryPath(c.path).empty(), c.allowed) << c.path;
  }
}

TEST(EntryPathTest, LinksStayInsideTheDestination) {
  struct Case {
    const char* entry;
    const char* target;
    bool allowed;
  };
  const Case cases[] = {
      {"libfoo.so", "libfoo.so.1", true},
      {"lib/libfoo.so", "../other/libfoo.so", true},
      {"a/b/link", "../../c", true},
      {"link", "../outside", false},
      {"a/link", "../../outside", false},
      {"link", "/etc/passwd", false},
      {"link", "C:\\Windows", false},
      // Inside by the letter, but "sub" may be a link made by an earlier entry.
      {"link", "sub/../x", false},
      {"link", "", false},
      // "a\b" is one folder on disk: the link is one deep, not two.
      {"a\\b/link", "../x", true},
      {"a\\b/link", "../../outside", false},
      // To the file system ".\." is a name, which an earlier entry may have
      // made a link: the ".." after it is refused.
      {"a/b/link", ".\\./../x", false},
      {"lib/x", "..\\other\\libfoo.so", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckLinkTarget(c.entry, c.target).empty(), c.allowed)
        << c.entry << " -> " << c.target;
  }
}

// A whole entry: its name, then a hard link's target as a name, a symbolic
// link's as a link from that name; the first refusal is the reason.
TEST(EntryPathTest, AnEntryIsCheckedByItsNameAndItsLink) {
  struct Case {
    const char* path;
    std::optional<std::string_view> hardlink;
    std::optional<std::string_view> symlink;
    const char* why;
  };
  const Case cases[] = {
      {"a/file", std::nullopt, std::nullopt, ""},
      {"a/hard", "a/file", std::nullopt, ""},
      {"a/soft", std::nullopt, "../b", ""},
      {"../file", std::nullopt, std::nullopt, "path with \"..\" refused"},
      {"/abs", "a/file", std::nullopt, "absolute path refused"},
      {"a/hard", "../../outside", std::nullopt, "path with \"..\" refused"},
      {"a/hard", "", std::nullopt, "empty name refused"},
      {"a/soft", std::nullopt, "../../outside",
       "link pointing outside the destination refused"},
      {"a/soft", std::nullopt, "", "link without a target refused"},
      // A name refused first keeps its own reason, whatever its link.
      {"../soft", std::nullopt, "/etc", "path with \"..\" refused"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckEntry(c.path, c.hardlink, c.symlink), c.why) << c.path;
  }
}

}  // namespace
