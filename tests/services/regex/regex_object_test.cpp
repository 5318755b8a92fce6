#include "services/regex/regex_object.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace larkbay {
namespace {

// The request engine's pattern for the character set an HTML page declares.
constexpr std::string_view kCharsetPattern = R"(<meta.+?charset=[^\w]?([-\w]+))";

struct CharsetCase {
  const char* name;
  std::string subject;
  const char* expected;  // group 1 of match 1; "" when nothing is found
};

TEST(RegexObject, CharsetPatternWithDefaults) {
  const CharsetCase cases[] = {
      {"upper-case tag, content attribute",
       R"(<HTML><HEAD><META http-equiv="Content-Type" content="text/html; charset=UTF-8">)",
       "UTF-8"},
      {"quote before the name is skipped", R"(<meta charset="gbk">)", "gbk"},
      {"single quote, Chinese text before", "<title>中文标题</title><meta charset='big5'>", "big5"},
      {"no quote", "<meta charset=gb2312 />", "gb2312"},
      {"charset on the next line (LF)", "<meta content=\"text/html;\ncharset=utf-8\">", ""},
      {"charset on the next line (CR LF)", "<meta content=\"text/html;\r\ncharset=utf-8\">", ""},
      {"charset after a CR only", "<meta content=\"text/html;\rcharset=utf-8\">", ""},
      {"no meta at all", "<html><body>charset=utf-8</body></html>", ""},
      {"empty subject", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RegexObject regex;
    ASSERT_TRUE(regex.Execute(kCharsetPattern, c.subject));
    EXPECT_EQ(regex.GetSubMatch(1, 1), c.expected);
  }
}

struct OptionCase {
  const char* name;
  std::string pattern;
  std::string subject;
  bool caseSensitive, multiline, global, quotePlaceholder;
  int matchCount;
  int matchIndex, groupIndex;
  const char* expected;
};

TEST(RegexObject, OptionsAndDialect) {
  const OptionCase cases[] = {
      {"case ignored by default", "(ABC)", "xabcx", false, true, true, false, 1, 1, 1, "abc"},
      {"case-sensitive", "(ABC)", "xabcx", true, true, true, false, 0, 1, 1, ""},
      {"multiline ^", "^(b+)", "a\nbb", false, true, true, false, 1, 1, 1, "bb"},
      {"single-line ^", "^(b+)", "a\nbb", false, false, true, false, 0, 1, 1, ""},
      {"multiline $ before CR LF", "(a)$", "a\r\nb", false, true, true, false, 1, 1, 1, "a"},
      {"single-line $ only at the very end", "(a)$", "a\n", false, false, true, false, 0, 1, 1, ""},
      {"global keeps every match", "<(.+?)>", "<a><bb><c>", false, true, true, false, 3, 2, 1,
       "bb"},
      {"non-global keeps the first", "<(.+?)>", "<a><bb><c>", false, true, false, false, 1, 1, 1,
       "a"},
      {"greedy", "<(.+)>", "<a><b>", false, true, true, false, 1, 1, 1, "a><b"},
      {"\\w is ASCII only", "(\\w+)", "中文abc_9", false, true, true, false, 1, 1, 1, "abc_9"},
      {"[^\\w] takes a Chinese character", "([^\\w])x", "中x", false, true, true, false, 1, 1, 1,
       "中"},
      {"case-insensitive non-ASCII", "(ä+)", "ÄäÄ", false, true, true, false, 1, 1, 1, "ÄäÄ"},
      {"quote placeholder", "charset=#引号([-\\w]+)#引号", "charset=\"utf-8\"", false, true, true,
       true, 1, 1, 1, "utf-8"},
      {"placeholder kept literally when off", "(#引号)", "#引号", false, true, true, false, 1, 1, 1,
       "#引号"},
      {"\\u escape", "(\\u4e2d)", "a中b", false, true, true, false, 1, 1, 1, "中"},
      {"[^] takes a line break", "a([^])b", "a\nb", false, true, true, false, 1, 1, 1, "\n"},
      {"empty matches step one character", "x*", "a中", false, true, true, false, 3, 1, 1, ""},
      {"group that took no part", "(a)|(b)", "b", false, true, true, false, 1, 1, 1, ""},
      {"second group", "(a)|(b)", "b", false, true, true, false, 1, 1, 2, "b"},
      {"match index past the end", "(a)", "aa", false, true, true, false, 2, 3, 1, ""},
      {"group index past the end", "(a)", "a", false, true, true, false, 1, 1, 2, ""},
      {"match index 0", "(a)", "a", false, true, true, false, 1, 0, 1, ""},
      {"group index 0 (the whole match is not a group)", "(a)b", "ab", false, true, true, false, 1,
       1, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RegexObject regex;
    ASSERT_TRUE(regex.Execute(c.pattern, c.subject, c.caseSensitive, c.multiline, c.global,
                              c.quotePlaceholder));
    EXPECT_EQ(regex.MatchCount(), c.matchCount);
    EXPECT_EQ(regex.GetSubMatch(c.matchIndex, c.groupIndex), c.expected);
  }
}

TEST(RegexObject, NulByteGroupKeepsItsByte) {
  RegexObject regex;
  ASSERT_TRUE(regex.Execute("a(.)c", std::string("xa\0c", 4)));
  EXPECT_EQ(regex.GetSubMatch(1, 1), std::string(1, '\0'));
}

TEST(RegexObject, PatternsThatDoNotCompile) {
  const std::string patterns[] = {"(",  "[a-",      "a{2,1}", "\\",      "(?<n>a)(?<n>b)",
                                  "*a", "\xff\xfe", "a\\C",   "(?<=a+)b"};
  for (const auto& pattern : patterns) {
    SCOPED_TRACE(pattern);
    RegexObject regex;
    ASSERT_TRUE(regex.Execute("(a)", "a"));
    EXPECT_FALSE(regex.Execute(pattern, "aaa"));
    // Nothing of the previous search survives.
    EXPECT_EQ(regex.MatchCount(), 0);
    EXPECT_EQ(regex.GetSubMatch(1, 1), "");
  }
}

std::string Repeated(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

TEST(RegexObject, PathologicalBacktrackingStopsAtTheLimit) {
  struct Case {
    const char* pattern;
    std::string subject;
    bool ran;  // false: stopped at the backtracking limit
    int matches = 0;
  } cases[] = {
      {"(a+)+$", std::string(40, 'a') + "!", false},
      {"(a|aa)+$", std::string(5000, 'a') + "!", false},
      {"^(\\w+\\s?)*$", std::string(60, 'a') + "!", false},
      {"^(([a-z])+.)+[A-Z]([a-z])+$", std::string(40, 'a') + "!", false},
      // Seen through before any backtracking: no "b" in the subject.
      {"(a+)+b", std::string(40, 'a'), true},
      // Below the limit at every start position, but thousands of them.
      {"(x+x+)+y", Repeated(std::string(17, 'x') + "-", 3000) + "y", false},
      // A global search with a match at every character of a long text.
      // (An empty match at every character and at the end of each valid
      // stretch.)
      {"x*", Repeated("\xe5\xa5\xbd", 100000), true, 100001},
      {"x*", Repeated("\xe5\xa5\xbd", 100000) + "\xff", true, 100002},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    RegexObject regex;
    ASSERT_TRUE(regex.Execute("(a)", "a"));
    // Searches that must run get room for a slow, loaded machine; the bound
    // below still tells linear from quadratic work.
    if (c.ran) regex.SetTimeLimit(std::chrono::seconds(4));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(regex.Execute(c.pattern, c.subject), c.ran);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(regex.MatchCount(), c.matches);
    EXPECT_EQ(regex.GetSubMatch(1, 1), "");
  }
}

TEST(RegexObject, LongButHonestRepetitionStillRuns) {
  RegexObject regex;
  ASSERT_TRUE(regex.Execute("((a|b)*)c", std::string(20000, 'a') + "c"));
  EXPECT_EQ(regex.GetSubMatch(1, 1).size(), 20000u);
}

TEST(RegexObject, InvalidUtf8SubjectNeverCrashes) {
  std::string everyByte;
  for (int b = 0; b < 256; ++b) everyByte.push_back(static_cast<char>(b));
  const std::string subjects[] = {
      everyByte,
      "\xe4\xb8",                              // cut in the middle of a character
      "\xc0\xaf<meta charset=x>\xed\xa0\x80",  // overlong form, encoded surrogate
      std::string("\xff<META charset=\"utf-8\">\xfe", 24),
  };
  const char* patterns[] = {".", "(\\w+)", "", "[^a]", "(.+?)", "x*", kCharsetPattern.data()};
  for (const auto& subject : subjects) {
    for (const char* pattern : patterns) {
      SCOPED_TRACE(pattern);
      RegexObject regex;
      EXPECT_TRUE(regex.Execute(pattern, subject));
      for (int m = 1; m <= regex.MatchCount(); ++m) {
        EXPECT_LE(regex.GetSubMatch(m, 1).size(), subject.size());
      }
    }
  }
  RegexObject regex;
  ASSERT_TRUE(regex.Execute(kCharsetPattern, subjects[3]));
  EXPECT_EQ(regex.GetSubMatch(1, 1), "utf-8");
  // An invalid byte is no character: `.` takes only the valid ones around it.
  ASSERT_TRUE(regex.Execute("a(.)b",
                            "a\xff"
                            "b"
                            "a\xc3\xa9"
                            "b"));
  EXPECT_EQ(regex.MatchCount(), 1);
  EXPECT_EQ(regex.GetSubMatch(1, 1), "\xc3\xa9");
}

}  // namespace
}  // namespace larkbay
