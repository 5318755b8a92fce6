#include "platform/ini_text.h"

#include <gtest/gtest.h>

namespace larkbay {
namespace {

struct LookupCase {
  const char* name;
  std::string content;
  const char* section;
  const char* key;
  std::optional<std::string> expected;
};

TEST(IniLookup, ReadsByTheProfileRules) {
  const LookupCase cases[] = {
      {"plain", "[Lark-Bay]\nAutoPlay=true\n", "Lark-Bay", "AutoPlay", "true"},
      {"section case", "[lark-bay]\nAutoPlay=1\n", "LARK-BAY", "AutoPlay", "1"},
      {"key case", "[Lark-Bay]\nautoplay=1\n", "Lark-Bay", "AUTOPLAY", "1"},
      {"spaces trimmed", "  [ Lark-Bay ]  \n  Program  =   42  \t\n", "Lark-Bay", "Program", "42"},
      {"double quotes", "[s]\nk=\"  a b \"\n", "s", "k", "  a b "},
      {"single quotes", "[s]\nk='x'\n", "s", "k", "x"},
      {"one quote pair only", "[s]\nk=\"\"x\"\"\n", "s", "k", "\"x\""},
      {"unmatched quotes kept", "[s]\nk=\"x'\n", "s", "k", "\"x'"},
      {"lone quote kept", "[s]\nk=\"\n", "s", "k", "\""},
      {"CRLF", "[s]\r\nk=v\r\nj=w\r\n", "s", "j", "w"},
      {"no final newline", "[s]\nk=v", "s", "k", "v"},
      {"BOM", "\xEF\xBB\xBF[s]\nk=v\n", "s", "k", "v"},
      {"UTF-8 value", "[s]\nDownloadsSavePath=/home/u/桌面/下载目录/\n", "s", "DownloadsSavePath",
       "/home/u/桌面/下载目录/"},
      {"equals in value", "[s]\nk=a=b\n", "s", "k", "a=b"},
      {"empty value", "[s]\nk=\n", "s", "k", ""},
      {"comment is no entry", "[s]\n;k=v\n", "s", "k", std::nullopt},
      {"line without = is no entry", "[s]\nk\n", "s", "k", std::nullopt},
      {"key of another section", "[a]\nk=1\n[b]\nj=2\n", "b", "k", std::nullopt},
      {"key before any section", "k=1\n[s]\n", "s", "k", std::nullopt},
      {"missing section", "[a]\nk=1\n", "b", "k", std::nullopt},
      {"first duplicate key", "[s]\nk=1\nk=2\n", "s", "k", "1"},
      {"first duplicate section", "[s]\nj=1\n[t]\n[S]\nk=2\n", "s", "k", std::nullopt},
      {"text after ]", "[s] ; note\nk=1\n", "s", "k", "1"},
      {"empty file", "", "s", "k", std::nullopt},
  };
  for (const LookupCase& c : cases) {
    EXPECT_EQ(IniLookup(c.content, c.section, c.key), c.expected) << c.name;
  }
}

struct UpdateCase {
  const char* name;
  std::string content;
  const char* section;
  const char* key;
  const char* value;
  std::optional<std::string> expected;
};

TEST(IniUpdate, ChangesOneEntryAndKeepsTheRest) {
  const std::string file =
      "; settings\n"
      "[Other]\n"
      "Program=7\n"
      "\n"
      "[Lark-Bay]\n"
      "  autoplay = true   \n"
      "; the folder\n"
      "DownloadsSavePath=/d/\n"
      "\n"
      "[Last]\n"
      "x=1\n";
  auto with = [&](const std::string& from, const std::string& to) {
    std::string s = file;
    s.replace(s.find(from), from.size(), to);
    return s;
  };
  const UpdateCase cases[] = {
      {"replace in place, keep key spelling and indent", file, "LARK-BAY", "AutoPlay", "flase",
       with("  autoplay = true   \n", "  autoplay=flase\n")},
      {"new key after the section's last entry", file, "Lark-Bay", "Program", "99",
       with("DownloadsSavePath=/d/\n", "DownloadsSavePath=/d/\nProgram=99\n")},
      {"new section at the end", file, "New", "k", "v", file + "\n[New]\nk=v\n"},
      {"empty file", "", "Lark-Bay", "Program", "5", "[Lark-Bay]\nProgram=5\n"},
      {"CRLF file keeps CRLF", "[s]\r\na=1\r\n", "s", "b", "2", "[s]\r\na=1\r\nb=2\r\n"},
      {"CRLF replace", "[s]\r\na=1\r\nb=2\r\n", "s", "a", "9", "[s]\r\na=9\r\nb=2\r\n"},
      {"no final newline, new key", "[s]\na=1", "s", "b", "2", "[s]\na=1\nb=2"},
      {"no final newline, new section", "[s]\na=1", "t", "b", "2", "[s]\na=1\n\n[t]\nb=2\n"},
      {"header only", "[s]\n", "s", "k", "v", "[s]\nk=v\n"},
      {"first duplicate written", "[s]\nk=1\nk=2\n", "s", "k", "3", "[s]\nk=3\nk=2\n"},
      {"BOM kept", "\xEF\xBB\xBF[s]\nk=1\n", "s", "k", "2", "\xEF\xBB\xBF[s]\nk=2\n"},
      {"UTF-8 value", "", "s", "k", "下载目录/", "[s]\nk=下载目录/\n"},
      {"line break in value refused", file, "s", "k", "a\nb", std::nullopt},
      {"CR in key refused", file, "s", "k\r", "v", std::nullopt},
      {"= in key refused", file, "s", "a=b", "v", std::nullopt},
      {"] in section refused", file, "a]b", "k", "v", std::nullopt},
      {"empty key refused", file, "s", " ", "v", std::nullopt},
  };
  for (const UpdateCase& c : cases) {
    EXPECT_EQ(IniUpdate(c.content, c.section, c.key, c.value), c.expected) << c.name;
  }
}

TEST(IniUpdate, WrittenValuesReadBack) {
  std::string content;
  const std::pair<const char*, const char*> entries[] = {{"Program", "1234"},
                                                         {"AutoPlay", "flase"},
                                                         {"DownloadsSavePath", "/home/u/下载目录/"},
                                                         {"program", "5678"}};
  for (const auto& [key, value] : entries) {
    content = IniUpdate(content, "Lark-Bay", key, value).value();
    EXPECT_EQ(IniLookup(content, "lark-bay", key), value) << key;
  }
  EXPECT_EQ(content,
            "[Lark-Bay]\nProgram=5678\nAutoPlay=flase\nDownloadsSavePath=/home/u/下载目录/\n");
}

}  // namespace
}  // namespace larkbay
