// The archiver's own checks of entry names and link targets.
#include "entry_path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

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
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckLinkTarget(c.entry, c.target).empty(), c.allowed)
        << c.entry << " -> " << c.target;
  }
}

}  // namespace
